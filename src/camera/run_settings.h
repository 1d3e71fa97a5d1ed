#pragma once

#include "run_tracker.h"

namespace kestrel {

// The timings of a programming run as the tool follows it.
struct RunSettings {
    int pollIntervalMs = 200; // from one status poll to the next
    int phaseEndPauseMs = 20; // after each phase's final position of 100
    int switchPauseMs = 1000; // after the programming phase's heading
    int startWaitMs = runrules::kStartWaitMs;
    int stallTimeoutMs = runrules::kStallLimitMs;
    int reconnectWindowMs = runrules::kReconnectWindowMs;
    int settleLimitMs = runrules::kSettleLimitMs;
    int reconnectPauseMs = 1000;    // between two attempts
    int afterRunQueryDelayMs = 500; // before the information is read again

    TrackerLimits Limits() const {
        return {startWaitMs, stallTimeoutMs, reconnectWindowMs, settleLimitMs};
    }
};

} // namespace kestrel
