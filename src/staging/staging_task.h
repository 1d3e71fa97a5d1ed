#pragma once

#include "keep_awake.h"
#include "staging_plan.h"

#include <QElapsedTimer>
#include <QMutex>
#include <QObject>

#include <optional>
#include <thread>

namespace kestrel {

// One copy onto the stick, its work on a thread of its own: Start returns at
// once, and the progress and the end are told by signals in the thread the
// task lives in, so that thread goes on serving its events meanwhile. The
// machine stays awake from the start to the end.
class StagingTask : public QObject {
    Q_OBJECT
public:
    // Copy: the files go onto the stick, verified. CheckOnly: the checks a
    // copy makes before the stick is touched, and nothing is written.
    enum class Work { Copy, CheckOnly };

    explicit StagingTask(StagingPlan plan, Work work = Work::Copy, QObject* parent = nullptr);
    // A copy still running is finished first: a file is never cut off in the
    // middle (when the program ends during a copy); its end is not told.
    ~StagingTask() override;

    // Starts the copy; a second call does nothing.
    void Start();

signals:
    // The latest progress, at most about 20 times a second.
    void progressed(const kestrel::StagingProgress& progress);
    // The copy has ended; told once, after every progressed.
    void finished(const kestrel::StagingOutcome& outcome);

private:
    void Publish(const StagingProgress& progress); // worker thread
    void TakeLatest();                             // the task's thread
    void Finish(const StagingOutcome& outcome);    // the task's thread

    const StagingPlan m_plan;
    const Work m_work;
    std::thread m_worker;
    std::optional<KeepAwake> m_awake; // from Start to the end
    bool m_started = false;
    QMutex m_mutex; // guards the members below
    StagingProgress m_latest;
    bool m_pending = false; // a TakeLatest is on its way
    QElapsedTimer m_sincePublished;
};

} // namespace kestrel
