#pragma once

#include "history_event.h"
#include "history_store.h"

#include <QObject>
#include <QString>

#include <memory>
#include <vector>

namespace kestrel {

// HistoryWriter's part on its thread: owns the store (opened at the first
// event) and the events not yet written.
class HistoryWorker : public QObject {
    Q_OBJECT
public:
    HistoryWorker(QString path, HistoryStore::Options options);
    ~HistoryWorker() override;

    // Queued from the writer's thread.
    void Take(HistoryEvent event);
    // Tries what is left, then closes the store; true when nothing is left.
    bool Close(QString* failure);

signals:
    void wrote(qint64 lastId);
    void failure(const QString& sentence);

private:
    void Drain();

    QString m_path;
    HistoryStore::Options m_options;
    std::unique_ptr<HistoryStore> m_store; // open, or null
    std::vector<HistoryEvent> m_pending;
    bool m_drainQueued = false;
    QString m_lastFailure;
};

} // namespace kestrel
