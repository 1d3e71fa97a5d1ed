#pragma once

#include "history_operation.h"

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

// Whether a camera was just programmed and waits for its power cycle: then
// programming it again would only wear its flash, and a second run of the same
// job leaves it alone. Plain C++, no Qt.
namespace kestrel {

// The run that programmed the camera to the end, not yet confirmed.
struct PendingRun {
    std::int64_t beginId = 0;
    std::int64_t endedMs = 0; // UTC
    std::string bench;
};

// The camera with this serial now reports currentHardware, and is to be
// brought to target. It is pending when, among its operations (newest first),
// the newest update or watch run that ended or was cut short:
//   - ended "ok" (programmed to the end) without a version seen after a power
//     cycle, or ended "no-power-cycle" (the operator did not power-cycle it in
//     the time given),
//   - was aimed at the same target,
//   - and the camera still reports the version it had before that run,
// and no power-cycle verdict ("ok", "version-unchanged", "wrong-version")
// came after it. A run whose power cycle found the version unchanged, or one
// that failed or was interrupted, leaves the camera to be programmed again.
std::optional<PendingRun> PowerCyclePending(std::string_view serial,
                                            std::string_view currentHardware,
                                            std::string_view target,
                                            const std::vector<Operation>& newestFirst);

// "programmed at 10:02 on this bench; power-cycle it to load the new
// firmware, or use --reinstall to program it again". The time is local
// (utcOffsetSeconds at the run's end); a run of another day also names its
// date ("programmed on 2026-12-06 at 10:02"), one of another bench names it
// ("on bench NAME").
std::string PendingText(const PendingRun& run, std::string_view thisBench, std::int64_t nowMs,
                        int utcOffsetSeconds);

} // namespace kestrel
