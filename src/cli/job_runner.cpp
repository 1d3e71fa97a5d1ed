#include "job_runner.h"

#include "record_book.h"

#include <QCoreApplication>

namespace kestrel::cli {

JobRunner::JobRunner(ProgressOutput& output) : m_output(output) {}

JobRunner::~JobRunner() = default;

bool JobRunner::FollowStopRequests(StopSignals& stop, const Command& command, QString* refusal) {
    connect(&stop, &StopSignals::stopRequested, this, &JobRunner::Interrupt);
    if (stop.Install() || !command.needsStopHandlers)
        return true;
    *refusal = QStringLiteral("%1 was not started: Ctrl-C and SIGTERM cannot be caught here "
                              "(the system refused the handlers), and an interruption would end "
                              "the program without telling what it left unfinished.")
                   .arg(command.name);
    return false;
}

void JobRunner::Start(const JobPlan& plan) {
    m_jobs.clear();
    for (const QString& name : plan.command->jobNames(plan))
        m_jobs.append(JobRecord(name));
    m_pending = m_jobs.size();
    m_output.Begin(plan, m_jobs);
    m_records = plan.records;
    m_running = true;
    if (m_records) // a record that stops is told about as a message of its job
        m_records->Start([this](int job, const QString& text) {
            JobEvent event;
            event.job = job;
            event.kind = JobEvent::Kind::Message;
            event.text = text;
            // From the writing thread: the event goes through the loop.
            QMetaObject::invokeMethod(
                this, [this, event] { Post(event); }, Qt::QueuedConnection);
        });
    for (int i = 0; i < static_cast<int>(m_jobs.size()); ++i)
        m_work.push_back(plan.command->makeJob(i, plan, *this));
    for (const auto& job : m_work)
        job->Start();
    if (m_pending == 0)
        Close();
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
        if (!m_jobs[i].finished)
            m_work.at(static_cast<std::size_t>(i))->Stop();
    }
}

bool JobRunner::AllSucceeded() const {
    for (const JobRecord& job : m_jobs) {
        if (!job.result.Ok())
            return false;
    }
    return !m_jobs.isEmpty();
}

void JobRunner::Post(const JobEvent& event) {
    if (event.job < 0 || event.job >= m_jobs.size())
        return;
    JobRecord& job = m_jobs[event.job];
    if (event.kind == JobEvent::Kind::Finished && m_records && event.result.record.isEmpty()) {
        // The record's file, when it is open by now (a camera that gave its
        // serial number); otherwise it is known once the records close.
        JobEvent named = event;
        named.result.record = m_records->File(event.job);
        if (!named.result.record.isEmpty()) {
            Post(named);
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
