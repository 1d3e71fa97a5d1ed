#include "job_result.h"

namespace kestrel::cli {

QString JobResult::Shown() const {
    if (!Ok())
        return QStringLiteral("FAILED: ") + LabelOf(code);
    return eject ? LabelOf(code) + QStringLiteral(", ") + EjectResultName(*eject) : LabelOf(code);
}

void JobResult::SetRunEnd(RunOutcome outcome, const QString& lastMessage) {
    const ResultCode result = ResultOf(outcome);
    // The run ends without a message only when nothing was started.
    const bool told = result != ResultCode::Ok &&
                      (result != ResultCode::ConnectionLost || !lastMessage.isEmpty());
    Set(result, told ? lastMessage : TextOf(result));
}

} // namespace kestrel::cli
