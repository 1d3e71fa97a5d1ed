#pragma once

#include "camera_job.h"
#include "job_event.h"

namespace kestrel::cli {

// plan: what update would do with the camera the job has looked at (connected
// or not, the information read unless it was programming). Sets the result:
// its code the action ("program", "skip", "follow", "unreachable",
// "version-unread"), its detail why; ok unless the camera could not be asked,
// or its version checked against the target; nothing changed. Returns the
// plan event that tells it.
JobEvent PlanCamera(JobResult& result, const JobPlan& plan);

} // namespace kestrel::cli
