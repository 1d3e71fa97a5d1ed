#pragma once

#include <cstdint>

// How long the rules of a programming run wait for the camera, and the
// figures they assume. Plain C++.
namespace kestrel {

namespace runrules {
// Totals assumed before the first reply that carries one; a program total
// that reads 0 is taken as this one too.
inline constexpr std::int32_t kStartEraseTotal = 155;
inline constexpr std::int32_t kStartProgramTotal = 20000;
// A phase is followed while done < total - kPhaseMargin.
inline constexpr std::int32_t kPhaseMargin = 1;
// The camera counts a phase as done one step before the tool does: a run that
// reported programming at done >= total - kEndMargin has reached its end.
inline constexpr std::int32_t kEndMargin = 2;
// Replies unchanged this long: the run is stuck.
inline constexpr int kStallLimitMs = 120000;
// How long a lost connection is tried again.
inline constexpr int kReconnectWindowMs = 60000;
// How long the tool waits after the start command for the camera's first
// figures: the camera finds and reads the file on its USB stick first, which
// may take a long time. A camera still idle then may yet begin.
inline constexpr int kStartWaitMs = kReconnectWindowMs;
// How long the tool waits, before the start command, for a camera that still
// shows the final figures of a finished run to report idle.
inline constexpr int kSettleLimitMs = 15000;
} // namespace runrules

struct TrackerLimits {
    int startWaitMs = runrules::kStartWaitMs;
    int stallLimitMs = runrules::kStallLimitMs;
    int reconnectWindowMs = runrules::kReconnectWindowMs;
    int settleLimitMs = runrules::kSettleLimitMs;
};

} // namespace kestrel
