#pragma once

#include "camera_job.h"
#include "job_record.h"
#include "job_stop.h"
#include "progress_output.h"
#include "stop_signals.h"

#include <QList>
#include <QObject>

#include <memory>
#include <vector>

class QEventLoop;
class QThread;

namespace kestrel::cli {

// Runs the jobs of one command and keeps their records: one camera job per
// address, all at once, each in a thread of its own with its own
// connection, or the copy onto a stick. Each event is taken into its job's
// record, then shown by the output, in the main thread; the run returns when
// every job has ended.
class JobRunner : public QObject, public JobSink {
    Q_OBJECT
public:
    explicit JobRunner(ProgressOutput& output);
    ~JobRunner() override;

    void Run(const QList<CameraAddress>& cameras, const JobPlan& plan);
    // Starts the copy onto a stick and returns; stageEnded follows, from the
    // events of this thread, once it has ended and the output has ended.
    // Verify is the same job without a copy.
    void RunStage(const CliOptions& options);

    // The operator asked to stop (Ctrl-C): every job still at work is asked
    // to stop, ends within moments as interrupted, with what that means for
    // its camera as it stood then, and Run returns once every thread has
    // ended. A copy onto a stick goes on to its end; the operator is told so.
    void Interrupt();

    // Ctrl-C and SIGTERM call Interrupt once stop is installed. update, watch
    // and stage must be able to tell what an interruption left unfinished:
    // when the handlers cannot be installed, they refuse to start (false,
    // and the reason in *refusal). The other commands go on without them.
    bool FollowStopRequests(StopSignals& stop, Command command, QString* refusal);

    // From any thread; the event reaches the output in the main thread.
    void Post(const JobEvent& event) override;

    // One per job, in the order of the jobs; each result once the job ended.
    const QList<JobRecord>& Records() const { return m_jobs; }
    // True when every job ended well.
    bool AllSucceeded() const;

signals:
    void stageEnded();

private:
    void Begin(Command command, const QStringList& names);
    void Deliver(const JobEvent& event);

    ProgressOutput& m_output;
    QEventLoop* m_loop = nullptr;
    qsizetype m_pending = 0;
    QList<JobRecord> m_jobs;
    bool m_interrupted = false;
    bool m_staging = false; // the job of RunStage is at work
    RecordBook* m_records = nullptr;
    std::vector<std::unique_ptr<JobStop>> m_stops;
    std::vector<std::unique_ptr<QThread>> m_threads;
};

} // namespace kestrel::cli
