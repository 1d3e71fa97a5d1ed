#include "job_runner.h"

#include "record_book.h"

#include <QCoreApplication>
#include <QEventLoop>
#include <QThread>

namespace kestrel::cli {

namespace {

QString InterruptedDetail(JobState state, const QString& address) {
    switch (state) {
    case JobState::Starting:
    case JobState::Erasing:
    case JobState::Programming:
    case JobState::Reconnecting:
        return QStringLiteral("Interrupted while following the programming: the camera goes on "
                              "programming its flash memory. Do NOT power it off; follow it to "
                              "its end with: kestrel-flash watch %1")
            .arg(address);
    case JobState::WaitingForPowerCycle:
    case JobState::WaitingForCamera:
        return QStringLiteral("Interrupted while waiting for the power cycle; the programming "
                              "itself had ended.");
    default:
        return QStringLiteral("Interrupted before the programming was started.");
    }
}

} // namespace

JobRunner::JobRunner(ProgressOutput& output) : m_output(output) {}

JobRunner::~JobRunner() = default;

QList<JobResult> JobRunner::Run(const QList<CameraAddress>& cameras, const JobPlan& plan) {
    m_cameras = cameras;
    m_results = QList<JobResult>(cameras.size());
    m_states = QList<JobState>(cameras.size(), JobState::Connecting);
    m_finished = QList<bool>(cameras.size(), false);
    m_stopped = QList<bool>(cameras.size(), false);
    m_statesAtStop = m_states;
    m_pending = cameras.size();
    m_records = plan.records;
    m_clock.start();
    QEventLoop loop;
    m_loop = &loop;

    if (m_records) // a record that stops is told about as a message of its job
        m_records->Start([this](int job, const QString& text) {
            JobEvent event;
            event.job = job;
            event.kind = JobEvent::Kind::Message;
            event.text = text;
            Post(event);
        });
    for (int i = 0; i < static_cast<int>(cameras.size()); ++i) {
        const CameraAddress address = cameras.at(i);
        m_stops.push_back(std::make_unique<JobStop>());
        const JobStop& stop = *m_stops.back();
        m_threads.emplace_back(QThread::create([this, i, address, plan, &stop] {
            // Everything of this camera is built, used and destroyed here.
            CameraJob job(i, address, plan, *this, stop);
            JobEvent finished;
            finished.job = i;
            finished.kind = JobEvent::Kind::Finished;
            finished.result = job.Run();
            Post(finished);
        }));
        m_threads.back()->start();
    }
    if (m_pending > 0)
        loop.exec();
    m_loop = nullptr;
    for (const auto& thread : m_threads)
        thread->wait();
    if (m_records) {
        m_records->Close();
        // What the last writes told reaches the output before the summary.
        QCoreApplication::sendPostedEvents(this, QEvent::MetaCall);
        for (int i = 0; i < static_cast<int>(m_results.size()); ++i)
            m_results[i].record = m_records->File(i);
    }
    return m_results;
}

void JobRunner::Interrupt() {
    if (m_interrupted || !m_loop)
        return;
    m_interrupted = true;
    m_statesAtStop = m_states;
    for (int i = 0; i < static_cast<int>(m_finished.size()); ++i) {
        if (m_finished.at(i))
            continue;
        m_stopped[i] = true;
        m_stops.at(static_cast<std::size_t>(i))->Request();
    }
}

void JobRunner::Post(const JobEvent& event) {
    QMetaObject::invokeMethod(
        this, [this, event] { Deliver(event); }, Qt::QueuedConnection);
}

void JobRunner::Deliver(const JobEvent& event) {
    if (event.kind == JobEvent::Kind::Finished && m_stopped.at(event.job)) {
        // What the camera was doing when the stop came decides what the
        // operator must know; what the job found out of the camera is kept.
        JobEvent interrupted = event;
        const JobResult& found = event.result;
        interrupted.result.before =
            found.before.IsEmpty() ? m_results.at(event.job).before : found.before;
        interrupted.result.Set(
            false, QStringLiteral("interrupted"),
            InterruptedDetail(m_statesAtStop.at(event.job), m_cameras.at(event.job).Text()));
        m_stopped[event.job] = false;
        Deliver(interrupted);
        return;
    }
    m_output.OnEvent(event);
    if (event.kind == JobEvent::Kind::State)
        m_states[event.job] = event.state;
    if (event.kind == JobEvent::Kind::Connected) {
        m_results[event.job].before = event.identity;
        m_results[event.job].runInProgress = event.runInProgress;
    }
    if (event.kind != JobEvent::Kind::Finished)
        return;
    m_finished[event.job] = true;
    m_results[event.job] = event.result;
    if (m_records) // the result as told, an interruption included
        m_records->End(event.job, event.result);
    if (--m_pending == 0 && m_loop)
        m_loop->quit();
}

} // namespace kestrel::cli
