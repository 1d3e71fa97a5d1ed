#include "staging_task.h"

#include "file_stager.h"
#include "keep_awake.h"

#include <QEventLoop>

#include <thread>

namespace kestrel {

namespace {

constexpr qint64 kProgressIntervalMs = 50;

} // namespace

StagingTask::StagingTask(StagingPlan plan) : m_plan(std::move(plan)) {}

StagingOutcome StagingTask::Run(const ProgressHandler& onProgress) {
    StagingOutcome outcome;
    QEventLoop loop;
    connect(
        this, &StagingTask::progressAvailable, &loop,
        [this, &onProgress] { onProgress(TakeLatest()); }, Qt::QueuedConnection);
    connect(this, &StagingTask::finished, &loop, &QEventLoop::quit, Qt::QueuedConnection);
    // The machine stays awake while the files are written and read back.
    const KeepAwake awake;
    std::thread worker([this, &outcome] {
        outcome = StageFiles(m_plan, [this](const StagingProgress& step) { Publish(step); });
        emit finished();
    });
    loop.exec();
    // The loop also ends when the application quits; then the remaining
    // events are not served, but the copy still runs to its end. The thread
    // is joined, not just waited for: the libraries it used (the hash's
    // per-thread state) have let go of it before the program goes on, and
    // possibly ends.
    worker.join();
    return outcome;
}

void StagingTask::Publish(const StagingProgress& progress) {
    QMutexLocker lock(&m_mutex);
    m_latest = progress;
    if (m_pending)
        return;
    if (m_sincePublished.isValid() && m_sincePublished.elapsed() < kProgressIntervalMs)
        return;
    m_pending = true;
    m_sincePublished.start();
    lock.unlock();
    emit progressAvailable();
}

StagingProgress StagingTask::TakeLatest() {
    QMutexLocker lock(&m_mutex);
    m_pending = false;
    return m_latest;
}

} // namespace kestrel
