#include "version_target.h"

#include "hw_version_rule.h"

namespace kestrel::cli {

namespace {

std::string Bytes(const QString& text) {
    return text.toLatin1().toStdString();
}

} // namespace

bool SkipAsCurrent(JobResult& result, const JobPlan& plan) {
    if (plan.targetHwVersion.isEmpty())
        return false;
    const VersionDecision decision =
        DecideByVersion(Bytes(result.before.hardware), Bytes(plan.targetHwVersion), plan.reinstall);
    if (decision.program)
        return false;
    result.Set(true, QStringLiteral("current"),
               QStringLiteral("The camera already runs hardware firmware %1, the target version: "
                              "nothing was changed.")
                   .arg(result.before.hardware));
    return true;
}

bool TargetReached(JobResult& result, const JobPlan& plan) {
    const bool back =
        result.code == QLatin1String("ok") || result.code == QLatin1String("version-unchanged");
    if (plan.targetHwVersion.isEmpty() || !back || result.after.IsEmpty())
        return true;
    const QString& after = result.after.hardware;
    if (!SameHwVersion(Bytes(after), Bytes(plan.targetHwVersion))) {
        result.Set(false, QStringLiteral("wrong-version"),
                   QStringLiteral("wrong version: camera runs %1, wanted %2")
                       .arg(after, plan.targetHwVersion));
        return false;
    }
    if (!result.ok)
        result.Set(true, QStringLiteral("ok"),
                   QStringLiteral("The camera restarted with hardware firmware %1, the target "
                                  "version.")
                       .arg(after));
    return true;
}

} // namespace kestrel::cli
