#pragma once

#include "camera_job.h"
#include "job_stop.h"
#include "progress_output.h"

#include <QElapsedTimer>
#include <QList>
#include <QObject>

#include <memory>
#include <vector>

class QEventLoop;
class QThread;

namespace kestrel::cli {

// Runs one camera job per address, all at once, each in a thread of its own
// with its own connection; the main thread shows their events as they come
// and returns when every job has ended.
class JobRunner : public QObject, public JobSink {
    Q_OBJECT
public:
    explicit JobRunner(ProgressOutput& output);
    ~JobRunner() override;

    QList<JobResult> Run(const QList<CameraAddress>& cameras, const JobPlan& plan);

    // The operator asked to stop (Ctrl-C): every job still at work is asked
    // to stop, ends within moments as interrupted, with what that means for
    // its camera as it stood then, and Run returns once every thread has
    // ended.
    void Interrupt();

    // From any thread; the event reaches the output in the main thread.
    void Post(const JobEvent& event) override;

private:
    void Deliver(const JobEvent& event);

    ProgressOutput& m_output;
    QEventLoop* m_loop = nullptr;
    qsizetype m_pending = 0;
    QList<CameraAddress> m_cameras;
    QList<JobResult> m_results;
    QList<JobState> m_states;
    QList<bool> m_finished;
    QList<bool> m_stopped; // still at work when the stop came
    QList<JobState> m_statesAtStop;
    bool m_interrupted = false;
    RecordBook* m_records = nullptr;
    QElapsedTimer m_clock;
    std::vector<std::unique_ptr<JobStop>> m_stops;
    std::vector<std::unique_ptr<QThread>> m_threads;
};

} // namespace kestrel::cli
