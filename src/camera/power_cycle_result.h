#pragma once

#include "camera_identity.h"
#include "power_cycle_step.h"

#include <QString>

namespace kestrel {

// How the wait for the power cycle ended; the sentence for the operator
// (empty when the wait was stopped) and the camera's identity once back.
struct PowerCycleResult {
    PowerCycleEnd end = PowerCycleEnd::None;
    bool stopped = false; // the program stopped following the camera
    QString detail;
    CameraIdentity after;
};

} // namespace kestrel
