#include "plan_job.h"

#include "hw_version_rule.h"
#include "version_target.h"

namespace kestrel::cli {

JobEvent PlanCamera(JobResult& result, const JobPlan& plan) {
    if (result.code == ResultCode::ConnectFailed) {
        result.Set(ResultCode::Unreachable, result.detail);
    } else if (result.runInProgress) {
        result.Set(ResultCode::Follow, QStringLiteral("run in progress"));
    } else if (const VersionDecision decision =
                   DecideByVersion(result.before.hardware.toLatin1().toStdString(),
                                   plan.targetHwVersion.toLatin1().toStdString(), plan.reinstall);
               decision.Unread()) {
        result.Set(ResultCode::VersionUnread,
                   VersionNotRead(result.before.hardware, plan.targetHwVersion));
    } else {
        result.Set(decision.program ? ResultCode::Program : ResultCode::Skip,
                   QString::fromLatin1(decision.reason.data(),
                                       static_cast<qsizetype>(decision.reason.size())));
    }
    result.changed = false;
    JobEvent event;
    event.kind = JobEvent::Kind::Plan;
    event.identity = result.before;
    event.runInProgress = result.runInProgress;
    event.result = result;
    return event;
}

} // namespace kestrel::cli
