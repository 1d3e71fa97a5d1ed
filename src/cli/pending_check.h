#pragma once

#include <QFutureWatcher>
#include <QObject>
#include <QString>

namespace kestrel::cli {

// Asks the production history whether a camera waits for its power cycle
// after an earlier run programmed it: the camera's operations are read on a
// worker thread of the pool, so any number of jobs can ask at once while the
// program's one event loop goes on, and answered() tells on the thread that
// asked. A history that does not exist holds nothing pending; one that
// cannot be read is taken as holding nothing pending either (the camera is
// then programmed as it would be without a history), and why it could not be
// read is told once per process, by the first check that met it.
class PendingCheck : public QObject {
    Q_OBJECT
public:
    // What the history says of the camera.
    struct Answer {
        QString pending; // for the operator: when and where it was programmed; empty: not pending
        QString failure; // the history could not be read, told by this check
    };

    explicit PendingCheck(QObject* parent = nullptr);

    // Reads the operations of the camera with this serial from the history
    // file; hardware is its version now, target the one wanted.
    void Ask(const QString& historyFile, const QString& serial, const QString& hardware,
             const QString& target);

signals:
    void answered(const PendingCheck::Answer& answer);

private:
    QFutureWatcher<Answer> m_watcher;
};

} // namespace kestrel::cli
