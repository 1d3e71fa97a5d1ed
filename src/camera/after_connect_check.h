#pragma once

#include "run_settings.h"

namespace kestrel {

class OperatorInput;
class Connector;
class CameraInfoQuery;
class FirmwareRun;

// Right after connecting: is the camera in the middle of reprogramming its
// flash? Then nothing else is sent and the run is followed to its end;
// otherwise the information pane is filled.
class AfterConnectCheck {
public:
    AfterConnectCheck(OperatorInput& input, const Connector& connector, CameraInfoQuery& info,
                      FirmwareRun& run, RunSettings settings);

    // After the greeting, before the connection line is logged: asks whether
    // a run is in progress, and for the camera's information unless it is.
    void LookAtCamera();
    // After both panes are shown: follows a run found in progress to its
    // end, then reads the information again.
    void FollowRunFound();

private:
    OperatorInput& m_input;
    const Connector& m_connector;
    CameraInfoQuery& m_info;
    FirmwareRun& m_run;
    RunSettings m_settings;
};

} // namespace kestrel
