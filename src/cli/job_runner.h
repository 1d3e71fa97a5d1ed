#pragma once

#include "command.h"
#include "job.h"
#include "job_record.h"
#include "progress_output.h"
#include "stop_signals.h"

#include <QList>
#include <QObject>

#include <memory>
#include <vector>

namespace kestrel::cli {

// Runs the jobs of one command and keeps their records: all at once, all in
// the calling thread on its event loop (a camera job each with its own
// connection). Each event is taken into its job's record, then shown by the
// output; finished() once every job has ended, the records are closed and
// the output has ended.
class JobRunner : public QObject, public JobSink {
    Q_OBJECT
public:
    explicit JobRunner(ProgressOutput& output);
    ~JobRunner() override;

    // Starts the jobs of the plan's command and returns; their work goes on
    // in this thread's event loop.
    void Start(const JobPlan& plan);

    // The operator asked to stop (Ctrl-C): every job still at work is asked
    // to stop, and says what that meant.
    void Interrupt();

    // Ctrl-C and SIGTERM call Interrupt once stop is installed. A command
    // that must be able to tell what an interruption left unfinished refuses
    // to start when the handlers cannot be installed (false, and the reason
    // in *refusal). The other commands go on without them.
    bool FollowStopRequests(StopSignals& stop, const Command& command, QString* refusal);

    // The event reaches the output at once.
    void Post(const JobEvent& event) override;

    // One per job, in the order of the jobs; each result once the job ended.
    const QList<JobRecord>& Records() const { return m_jobs; }
    // True when every job ended well.
    bool AllSucceeded() const;

signals:
    void finished();

private:
    void Close();

    ProgressOutput& m_output;
    qsizetype m_pending = 0;
    QList<JobRecord> m_jobs;
    bool m_interrupted = false;
    bool m_running = false;
    RecordBook* m_records = nullptr;
    std::vector<std::unique_ptr<Job>> m_work;
};

} // namespace kestrel::cli
