#pragma once

#include "camera.h"
#include "camera_address.h"
#include "job_plan.h"
#include "job_sink.h"
#include "job_stop.h"

namespace kestrel::cli {

class JobPresenter;

// One camera's work for info, update or watch, start to end, in the calling
// thread: connect, read the information, follow or start the programming run
// with the same code the window uses, optionally wait for the power cycle,
// then say goodbye. Events go to the sink as they happen; the result is also
// returned. A stop request ends every wait at once: the connection is closed
// without a word to the camera and the job returns.
class CameraJob {
public:
    CameraJob(int job, CameraAddress address, JobPlan plan, JobSink& sink, const JobStop& stop);

    JobResult Run();

private:
    // Starts or watches the run (follow), then reads the camera again or
    // waits for its power cycle.
    void FollowRun(Camera& camera, JobPresenter& surface, JobResult& result,
                   RunOutcome (Camera::*follow)());
    void ConfirmPowerCycle(Camera& camera, JobPresenter& surface, JobResult& result);

    int m_job;
    CameraAddress m_address;
    JobPlan m_plan;
    JobSink& m_sink;
    const JobStop& m_stop;
};

} // namespace kestrel::cli
