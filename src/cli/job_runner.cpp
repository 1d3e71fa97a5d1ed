#include "job_runner.h"

#include <QEventLoop>
#include <QThread>

#include <memory>
#include <vector>

namespace kestrel::cli {

JobRunner::JobRunner(ProgressOutput& output) : m_output(output) {}

QList<JobResult> JobRunner::Run(const QList<CameraAddress>& cameras, const JobPlan& plan) {
    m_results = QList<JobResult>(cameras.size());
    m_pending = cameras.size();
    QEventLoop loop;
    m_loop = &loop;

    std::vector<std::unique_ptr<QThread>> threads;
    for (int i = 0; i < static_cast<int>(cameras.size()); ++i) {
        const CameraAddress address = cameras.at(i);
        threads.emplace_back(QThread::create([this, i, address, plan] {
            // Everything of this camera is built, used and destroyed here.
            CameraJob job(i, address, plan, *this);
            JobEvent finished;
            finished.job = i;
            finished.kind = JobEvent::Kind::Finished;
            finished.result = job.Run();
            Post(finished);
        }));
        threads.back()->start();
    }
    if (m_pending > 0)
        loop.exec();
    for (const auto& thread : threads)
        thread->wait();
    m_loop = nullptr;
    return m_results;
}

void JobRunner::Post(const JobEvent& event) {
    QMetaObject::invokeMethod(
        this, [this, event] { Deliver(event); }, Qt::QueuedConnection);
}

void JobRunner::Deliver(const JobEvent& event) {
    m_output.OnEvent(event);
    if (event.kind != JobEvent::Kind::Finished)
        return;
    m_results[event.job] = event.result;
    if (--m_pending == 0 && m_loop)
        m_loop->quit();
}

} // namespace kestrel::cli
