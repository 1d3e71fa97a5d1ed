#pragma once

namespace kestrel {

// How a programming run ended.
enum class RunOutcome {
    NotConnected,   // refused: no camera connected
    Finished,       // the camera reported both phases to their end
    CameraStopped,  // the camera reported no run any more before the end
    NeverStarted,   // the camera never reported the run that was started
    Stalled,        // the camera's figures stopped changing
    ConnectionLost, // the connection was lost and could not be restored
    Disconnected,   // the operator disconnected during the run
    Superseded,     // a run entered during this one followed the camera to the end
    Ignored,        // pressed while a run was being started or closed, or no run to
                    // watch: nothing done
    Interrupted,    // the program was asked to stop following the run
};

} // namespace kestrel
