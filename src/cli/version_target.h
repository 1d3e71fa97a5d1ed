#pragma once

#include "camera_job.h"
#include "job_event.h"

namespace kestrel::cli {

// update --target-hw-version: a camera that already runs the target version
// (read before any run) is left alone: true, and the result says "current".
// Without a target, or with --reinstall, false.
bool SkipAsCurrent(JobResult& result, const JobPlan& plan);

// After the power cycle was confirmed: with a target, the camera must be back
// with exactly that version; another one fails as "wrong-version", naming
// both. The same version as before is fine when it is the target (a
// reinstall). False when the result became a failure.
bool TargetReached(JobResult& result, const JobPlan& plan);

} // namespace kestrel::cli
