#include "pending_rule.h"

#include "history_filter.h"

namespace kestrel {

namespace {

bool IsVerdict(std::string_view result) {
    return result == "ok" || result == "version-unchanged" || result == "wrong-version";
}

} // namespace

std::optional<PendingRun> PowerCyclePending(std::string_view serial,
                                            std::string_view currentHardware,
                                            std::string_view target,
                                            const std::vector<Operation>& newestFirst) {
    if (serial.empty() || target.empty())
        return std::nullopt;
    for (const Operation& op : newestFirst) {
        if (op.Latest(&HistoryEvent::serial) != serial || op.state == Operation::State::Running)
            continue;
        const std::string result = op.Result();
        if (op.begin.action == history::kPowerCycle) {
            if (IsVerdict(result))
                return std::nullopt;
            continue;
        }
        if (op.begin.action != history::kUpdate && op.begin.action != history::kWatch)
            continue;
        // The newest run decides.
        const bool unconfirmed =
            (result == "ok" && op.end->hardwareAfter.empty()) || result == "no-power-cycle";
        if (unconfirmed && op.Latest(&HistoryEvent::target) == target &&
            op.Latest(&HistoryEvent::hardwareBefore) == currentHardware)
            return PendingRun{op.begin.id, op.end->timeMs, op.begin.bench};
        return std::nullopt;
    }
    return std::nullopt;
}

std::string PendingText(const PendingRun& run, std::string_view thisBench, std::int64_t nowMs,
                        int utcOffsetSeconds) {
    const std::int64_t offsetMs = static_cast<std::int64_t>(utcOffsetSeconds) * 1000;
    const std::string local = FormatUtc(run.endedMs + offsetMs); // "YYYY-MM-DDTHH:MM..."
    const std::string today = FormatUtc(nowMs + offsetMs);
    std::string text = "programmed ";
    if (local.substr(0, 10) != today.substr(0, 10))
        text += "on " + local.substr(0, 10) + " ";
    text += "at " + local.substr(11, 5);
    text += run.bench == thisBench ? " on this bench" : " on bench " + run.bench;
    return text +
           "; power-cycle it to load the new firmware, or use --reinstall to program it again";
}

} // namespace kestrel
