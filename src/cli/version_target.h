#pragma once

#include "camera_job.h"
#include "job_event.h"

namespace kestrel::cli {

// update --target-hw-version: a camera that already runs the target version
// (read before any run) is left alone: true, and the result says "current".
// So is one whose version cannot be read, which cannot be checked against the
// target: true, and the result is the failure "version-unread". Without a
// target, or with --reinstall for a camera that is current, false.
bool SkipByVersion(JobResult& result, const JobPlan& plan);

// Why a camera whose version (hardware, as read) cannot be read is not
// programmed to the target.
QString VersionNotRead(const QString& hardware, const QString& target);

// After the power cycle was confirmed: with a target, the camera must be back
// with exactly that version; another one fails as "wrong-version", naming
// both. The same version as before is fine when it is the target (a
// reinstall). False when the result became a failure.
bool TargetReached(JobResult& result, const JobPlan& plan);

} // namespace kestrel::cli
