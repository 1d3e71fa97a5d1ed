#pragma once

#include "camera_job.h"
#include "job_record.h"
#include "progress_output.h"

#include <QList>
#include <QObject>

#include <memory>
#include <vector>

namespace kestrel::cli {

// Runs the jobs of one command and keeps their records: one camera job per
// address, all at once, all in the calling thread on its event loop, each
// with its own connection; or the copy onto a stick. Each event is taken
// into its job's record, then shown by the output; finished() once every
// camera job has ended, the records are closed and the output has ended.
class JobRunner : public QObject, public JobSink {
    Q_OBJECT
public:
    explicit JobRunner(ProgressOutput& output);
    ~JobRunner() override;

    // Starts the camera jobs and returns; their work goes on in this thread's
    // event loop.
    void Start(const QList<CameraAddress>& cameras, const JobPlan& plan);
    // The copy, in the calling thread; stageEnded() follows from the event
    // loop once it and the output have ended.
    void RunStage(const CliOptions& options);

    // The operator asked to stop (Ctrl-C): every job still at work stops
    // where it stands and ends as interrupted, with what that means for its
    // camera as it stood then.
    void Interrupt();

    // From any thread; the event reaches the output in the runner's thread.
    void Post(const JobEvent& event) override;

    // One per job, in the order of the jobs; each result once the job ended.
    const QList<JobRecord>& Records() const { return m_jobs; }
    // True when every job ended well.
    bool AllSucceeded() const;

signals:
    void finished();
    void stageEnded();

private:
    void Begin(Command command, const QStringList& names);
    void Deliver(const JobEvent& event);
    void Close();

    ProgressOutput& m_output;
    qsizetype m_pending = 0;
    QList<JobRecord> m_jobs;
    bool m_interrupted = false;
    bool m_running = false;
    RecordBook* m_records = nullptr;
    std::vector<std::unique_ptr<CameraJob>> m_cameraJobs;
};

} // namespace kestrel::cli
