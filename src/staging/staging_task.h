#pragma once

#include "staging_plan.h"

#include <QElapsedTimer>
#include <QMutex>
#include <QObject>

#include <functional>

namespace kestrel {

// One copy onto the stick, run on a worker thread while the calling
// (user-interface) thread waits in a nested event loop, so the window stays
// alive and may run other handlers meanwhile.
class StagingTask : public QObject {
    Q_OBJECT
public:
    using ProgressHandler = std::function<void(const StagingProgress&)>;

    explicit StagingTask(StagingPlan plan);

    // Copies and returns the outcome once the worker has finished. The handler
    // is called on this thread with the latest progress, at most about 20
    // times a second. If the application quits meanwhile, the copy is still
    // finished (never cut off in the middle of a file) before this returns.
    StagingOutcome Run(const ProgressHandler& onProgress);

signals:
    // Emitted on the worker thread when new progress waits to be taken.
    void progressAvailable();
    // From the copy's thread: the copy has ended.
    void finished();

private:
    void Publish(const StagingProgress& progress); // worker thread
    StagingProgress TakeLatest();                  // calling thread

    const StagingPlan m_plan;
    QMutex m_mutex; // guards the members below
    StagingProgress m_latest;
    bool m_pending = false; // a progressAvailable is on its way
    QElapsedTimer m_sincePublished;
};

} // namespace kestrel
