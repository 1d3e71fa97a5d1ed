#include "staging_task.h"

#include "file_stager.h"

#include <QMetaObject>

namespace kestrel {

namespace {

constexpr qint64 kProgressIntervalMs = 50;

} // namespace

StagingTask::StagingTask(StagingPlan plan, Work work, QObject* parent)
    : QObject(parent), m_plan(std::move(plan)), m_work(work) {}

StagingTask::~StagingTask() {
    // What the worker posts from now on is dropped with this object.
    if (m_worker.joinable())
        m_worker.join();
}

void StagingTask::Start() {
    if (m_started)
        return;
    m_started = true;
    if (m_work == Work::Copy)
        m_awake.emplace();
    m_worker = std::thread([this] {
        const auto publish = [this](const StagingProgress& step) { Publish(step); };
        const StagingOutcome outcome = m_work == Work::Copy ? StageFiles(m_plan, publish)
                                                            : CheckStagingSources(m_plan, publish);
        // Queued behind the last progress: the end is told after it.
        QMetaObject::invokeMethod(
            this, [this, outcome] { Finish(outcome); }, Qt::QueuedConnection);
    });
}

void StagingTask::Finish(const StagingOutcome& outcome) {
    // The worker's last step was to post this: it ends at once. Joined, not
    // left to end alone: the libraries it used (the hash's per-thread state)
    // have let go of it before the program goes on, and possibly ends.
    m_worker.join();
    m_awake.reset();
    emit finished(outcome);
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
    QMetaObject::invokeMethod(this, &StagingTask::TakeLatest, Qt::QueuedConnection);
}

void StagingTask::TakeLatest() {
    QMutexLocker lock(&m_mutex);
    m_pending = false;
    const StagingProgress latest = m_latest;
    lock.unlock();
    emit progressed(latest);
}

} // namespace kestrel
