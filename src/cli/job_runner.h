#pragma once

#include "camera_job.h"
#include "progress_output.h"

#include <QList>
#include <QObject>

class QEventLoop;

namespace kestrel::cli {

// Runs one camera job per address, all at once, each in a thread of its own
// with its own connection; the main thread shows their events as they come
// and returns when every job has ended.
class JobRunner : public QObject, public JobSink {
    Q_OBJECT
public:
    explicit JobRunner(ProgressOutput& output);

    QList<JobResult> Run(const QList<CameraAddress>& cameras, const JobPlan& plan);

    // From any thread; the event reaches the output in the main thread.
    void Post(const JobEvent& event) override;

private:
    void Deliver(const JobEvent& event);

    ProgressOutput& m_output;
    QEventLoop* m_loop = nullptr;
    qsizetype m_pending = 0;
    QList<JobResult> m_results;
};

} // namespace kestrel::cli
