#pragma once

#include <cstdint>
#include <string>
#include <string_view>

// The rules of the wait for the operator's power cycle after a finished run:
// the camera has to go away (its connection ends), come back and say who it
// is within the time allowed, with a hardware firmware version other than
// the one it had before the run (both read by the version rule). Fed what
// the tool sees with the time of a monotonic clock in milliseconds. Plain
// C++, no Qt and no sockets.
namespace kestrel {

// How the wait ended.
enum class PowerCycleEnd {
    None,             // it goes on
    NotPowerCycled,   // the camera still held the connection when the time was up
    NotBack,          // the camera went away and did not come back in time
    VersionChanged,   // back with another hardware firmware version
    VersionUnchanged, // back with the same version: the new firmware was not loaded
    VersionUnknown,   // back; its version before the run is not known
    VersionUnread,    // back, but it gave no hardware firmware version: nothing confirmed
};

// What to do next.
struct PowerCycleStep {
    PowerCycleEnd end = PowerCycleEnd::None;
    int waitMs = 0; // while it goes on: how long before the camera is looked at again
};

class PowerCycleRule {
public:
    // The wait begins at nowMs; hardwareBefore is the camera's version before
    // the run, empty (or not a version) when it is not known.
    PowerCycleRule(std::string_view hardwareBefore, std::int64_t nowMs, int timeoutMs,
                   int pollMs);

    // The camera still holds the connection at nowMs.
    PowerCycleStep StillThere(std::int64_t nowMs) const;
    // The camera is away at nowMs: true while it is worth trying to reach it.
    bool KeepTrying(std::int64_t nowMs) const;
    // The camera was reached again; identified when it said who it is, with
    // that hardware version.
    PowerCycleStep Reached(bool identified, std::string_view hardwareAfter,
                           std::int64_t nowMs) const;
    // The camera could not be reached again in time.
    static PowerCycleStep NotBack() { return {PowerCycleEnd::NotBack, 0}; }

    // The verdict on a camera that came back with hardwareAfter.
    PowerCycleEnd Verdict(std::string_view hardwareAfter) const;

    int TimeoutMs() const { return m_timeoutMs; }

private:
    int WaitMs(std::int64_t nowMs) const;

    std::string m_before;
    std::int64_t m_deadline;
    int m_timeoutMs;
    int m_pollMs;
};

} // namespace kestrel
