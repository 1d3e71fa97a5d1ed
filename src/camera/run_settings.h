#pragma once

namespace kestrel {

// The timings of a programming run as the tool follows it.
struct RunSettings {
    int pollIntervalMs = 200;       // from one status poll to the next
    int phaseEndPauseMs = 20;       // after each phase's final position of 100
    int switchPauseMs = 1000;       // after the programming phase's heading
    int startGraceMs = 5000;        // "0 0 0 0" this soon after the start is not an end
    int stallTimeoutMs = 120000;    // unchanged figures this long: the run is stuck
    int reconnectWindowMs = 60000;  // how long a lost connection is tried again
    int reconnectPauseMs = 1000;    // between two attempts
    int afterRunQueryDelayMs = 500; // before the information is read again
};

} // namespace kestrel
