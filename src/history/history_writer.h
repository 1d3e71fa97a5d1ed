#pragma once

#include "history_event.h"
#include "history_store.h"

#include <QObject>
#include <QString>
#include <QThread>

namespace kestrel {

class HistoryWorker;

// Writes events to the history on a thread of its own, with its own
// connection, so that the caller's event loop never waits for the disk or
// for another process's lock. Events are written in the order given; those
// that arrive while a write is going on are written together, in one
// transaction.
//
// When an event cannot be written, failed() says so once, with the sentence
// naming the file and the reason. The events not written are kept and tried
// again, in order, with the next event and at the end; Finish() tells whether
// all were written in the end. Nothing given before Finish() is dropped at a
// normal exit: the destructor finishes.
class HistoryWriter : public QObject {
    Q_OBJECT
public:
    explicit HistoryWriter(const QString& path, HistoryStore::Options options = {},
                           QObject* parent = nullptr);
    ~HistoryWriter() override;

    QString Path() const { return m_path; }

    // Queues the event and returns at once. Not after Finish().
    void Write(HistoryEvent event);

    // Waits until every event given was tried once more, then ends the
    // thread. True when every event was written; else false, with the
    // sentence of the last failure.
    bool Finish(QString* failure = nullptr);

signals:
    // Events were written; lastId is the id the newest one was given.
    void written(qint64 lastId);
    // The history could not be written: emitted once.
    void failed(const QString& sentence);

private:
    void Tell(const QString& sentence);

    QString m_path;
    QThread m_thread;
    HistoryWorker* m_worker = nullptr;
    bool m_told = false;
    bool m_finished = false;
    bool m_allWritten = true;
    QString m_failure;
};

} // namespace kestrel
