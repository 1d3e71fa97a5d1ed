#pragma once

// What the rules of the wait for the power cycle answer. Plain C++.
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

} // namespace kestrel
