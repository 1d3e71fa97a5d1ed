#pragma once

#include <QString>

namespace kestrel::cli {

// Where one job (a camera, or the copy to a stick) stands.
enum class JobState {
    Connecting,
    Reading,  // connected, reading the camera's information
    Starting, // stopping the camera's activities, starting the run
    Erasing,
    Programming,
    Reconnecting,         // the connection was lost during the run
    WaitingForPowerCycle, // the run is done; the operator power-cycles the camera
    WaitingForCamera,     // the camera went away; waiting for it to come back
    Copying,
    Checking, // verify: reading the files and checking them
    Done,
};

// A job state in a few words: "erasing", "waiting for the power cycle".
QString StateLabel(JobState state);

} // namespace kestrel::cli
