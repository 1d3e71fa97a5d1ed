#pragma once

#include "camera_scanner.h"
#include "command.h"
#include "job.h"

#include <QElapsedTimer>

namespace kestrel::cli {

// scan: the search of the targets for cameras. Each camera is told as it
// answers, and how far the search has got; the job ends ok when a camera was
// found, as none-found when none was, as interrupted when stopped. Its
// result keeps the cameras found.
class ScanJob : public Job {
    Q_OBJECT
public:
    ScanJob(const JobPlan& plan, JobSink& sink);

    void Start() override;
    // The looks under way end at once; the job ends with what was found.
    void Stop() override;

private:
    void End();

    std::vector<ScanTarget> m_targets;
    JobSink& m_sink;
    CameraScanner m_scanner;
    JobResult m_result;
    QElapsedTimer m_clock;
    bool m_stopped = false;
};

} // namespace kestrel::cli
