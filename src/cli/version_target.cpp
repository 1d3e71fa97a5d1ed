#include "version_target.h"

#include "hw_version_rule.h"

namespace kestrel::cli {

namespace {

std::string Bytes(const QString& text) {
    return text.toLatin1().toStdString();
}

} // namespace

QString VersionNotRead(const QString& hardware, const QString& target) {
    return QStringLiteral("The camera's hardware firmware version could not be read (read as "
                          "%1), so it cannot be checked against the target %2: it is not "
                          "programmed.")
        .arg(QString::fromStdString(QuotedHwVersion(Bytes(hardware))), target);
}

bool SkipByVersion(JobResult& result, const JobPlan& plan) {
    if (plan.targetHwVersion.isEmpty())
        return false;
    const VersionDecision decision =
        DecideByVersion(Bytes(result.before.hardware), Bytes(plan.targetHwVersion), plan.reinstall);
    if (decision.program)
        return false;
    if (decision.Unread()) {
        result.Set(ResultCode::VersionUnread,
                   VersionNotRead(result.before.hardware, plan.targetHwVersion));
        return true;
    }
    result.Set(ResultCode::Current,
               QStringLiteral("The camera already runs hardware firmware %1, the target version: "
                              "nothing was changed.")
                   .arg(result.before.hardware));
    return true;
}

bool TargetReached(JobResult& result, const JobPlan& plan) {
    const bool back =
        result.code == ResultCode::Ok || result.code == ResultCode::VersionUnchanged;
    if (plan.targetHwVersion.isEmpty() || !back || result.after.IsEmpty())
        return true;
    const QString& after = result.after.hardware;
    if (!SameHwVersion(Bytes(after), Bytes(plan.targetHwVersion))) {
        result.Set(ResultCode::WrongVersion,
                   QStringLiteral("wrong version: camera runs %1, wanted %2")
                       .arg(after, plan.targetHwVersion));
        return false;
    }
    if (!result.Ok())
        result.Set(ResultCode::Ok,
                   QStringLiteral("The camera restarted with hardware firmware %1, the target "
                                  "version.")
                       .arg(after));
    return true;
}

} // namespace kestrel::cli
