#pragma once

namespace kestrel {

// How long the tool waits for the operator's power cycle, and how often it
// looks at the camera meanwhile.
struct PowerCycleSettings {
    int timeoutMs = 300000; // for the whole wait: off, and back again
    int pollMs = 1000;      // how often the camera is looked at
};

} // namespace kestrel
