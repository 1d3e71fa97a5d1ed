#include "job_runner.h"

#include "record_book.h"
#include "stage_job.h"

#include <QCoreApplication>
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

void JobRunner::Begin(Command command, const QStringList& names) {
    m_jobs.clear();
    for (const QString& name : names)
        m_jobs.append(JobRecord(name));
    m_pending = m_jobs.size();
    m_output.Begin(command, m_jobs);
}

void JobRunner::RunStage(const CliOptions& options) {
    Begin(Command::Stage, {options.folder});
    RunStageJob(options, *this); // its events come here as they happen
    m_output.End();
    QMetaObject::invokeMethod(this, &JobRunner::stageEnded, Qt::QueuedConnection);
}

void JobRunner::Start(const QList<CameraAddress>& cameras, const JobPlan& plan) {
    QStringList names;
    for (const CameraAddress& camera : cameras)
        names.append(camera.Text());
    Begin(plan.command, names);
    m_records = plan.records;
    m_running = true;

    if (m_records) // a record that stops is told about as a message of its job
        m_records->Start([this](int job, const QString& text) {
            JobEvent event;
            event.job = job;
            event.kind = JobEvent::Kind::Message;
            event.text = text;
            Post(event);
        });
    for (int i = 0; i < static_cast<int>(cameras.size()); ++i) {
        m_cameraJobs.push_back(std::make_unique<CameraJob>(i, cameras.at(i), plan, *this));
        connect(m_cameraJobs.back().get(), &CameraJob::finished, this,
                [this](int job, const JobResult& result) {
                    JobEvent finished;
                    finished.job = job;
                    finished.kind = JobEvent::Kind::Finished;
                    finished.result = result;
                    Post(finished);
                });
    }
    for (const auto& job : m_cameraJobs)
        job->Start();
    if (m_pending == 0) // nothing to wait for; told from the event loop all the same
        QMetaObject::invokeMethod(this, [this] { Close(); }, Qt::QueuedConnection);
}

void JobRunner::Close() {
    m_running = false;
    if (m_records) {
        m_records->Close();
        // What the last writes told reaches the output before the summary.
        QCoreApplication::sendPostedEvents(this, QEvent::MetaCall);
        for (int i = 0; i < static_cast<int>(m_jobs.size()); ++i)
            m_jobs[i].result.record = m_records->File(i);
    }
    m_output.End();
    emit finished();
}

void JobRunner::Interrupt() {
    if (m_interrupted || !m_running)
        return;
    m_interrupted = true;
    for (int i = 0; i < static_cast<int>(m_jobs.size()); ++i) {
        if (m_jobs[i].finished)
            continue;
        m_jobs[i].Stop();
        m_cameraJobs.at(static_cast<std::size_t>(i))->Stop();
    }
}

void JobRunner::Post(const JobEvent& event) {
    if (QThread::currentThread() == thread()) { // a job of this thread
        Deliver(event);
        return;
    }
    QMetaObject::invokeMethod(
        this, [this, event] { Deliver(event); }, Qt::QueuedConnection);
}

bool JobRunner::AllSucceeded() const {
    for (const JobRecord& job : m_jobs) {
        if (!job.result.Ok())
            return false;
    }
    return !m_jobs.isEmpty();
}

void JobRunner::Deliver(const JobEvent& event) {
    if (event.job < 0 || event.job >= m_jobs.size())
        return;
    JobRecord& job = m_jobs[event.job];
    if (event.kind == JobEvent::Kind::Finished && job.stopped) {
        // What the camera was doing when the stop came decides what the
        // operator must know; what the job found out of the camera is kept.
        JobEvent interrupted = event;
        const JobResult& found = event.result;
        interrupted.result.before = found.before.IsEmpty() ? job.identity : found.before;
        interrupted.result.Set(ResultCode::Interrupted,
                               InterruptedDetail(job.stateAtStop, job.name));
        job.stopped = false;
        Deliver(interrupted);
        return;
    }
    if (event.kind == JobEvent::Kind::Finished && m_records && event.result.record.isEmpty()) {
        // The record's file, when it is open by now (a camera that gave its
        // serial number); otherwise it is known once the records close.
        JobEvent named = event;
        named.result.record = m_records->File(event.job);
        if (!named.result.record.isEmpty()) {
            Deliver(named);
            return;
        }
    }
    const bool changed = job.Apply(event);
    m_output.OnEvent(event, changed);
    if (event.kind != JobEvent::Kind::Finished)
        return;
    if (m_records) // the result as told, an interruption included
        m_records->End(event.job, event.result);
    if (--m_pending == 0 && m_running)
        Close();
}

} // namespace kestrel::cli
