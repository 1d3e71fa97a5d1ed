#pragma once

#include "camera_info.h"
#include "staged_file.h"

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
    Done,
};

// How a job ended.
struct JobResult {
    bool ok = false;
    QString code;   // short and stable, for scripts: "ok", "stalled", ...
    QString detail; // for the operator: why it failed, or what was confirmed
    CameraIdentity before;
    CameraIdentity after;
    bool runInProgress = false; // the camera was programming when connected
    qint64 elapsedMs = 0;
    QString record; // the file of the conversation record; empty without one
    QList<StagedFile> files; // stage: the files copied and verified
    // stage --eject: how ejecting ended ("ejected", "busy"...); empty: not tried
    QString eject;

    // The serial number as first read: before the run, or after it when the
    // camera was found programming.
    QString Serial() const { return before.serial.isEmpty() ? after.serial : before.serial; }

    void Set(bool succeeded, QString resultCode, QString text) {
        ok = succeeded;
        code = std::move(resultCode);
        detail = std::move(text);
    }
};

// Something a job tells the operator. Jobs run in threads of their own; the
// events reach the output in the order each job sent them.
struct JobEvent {
    enum class Kind {
        State,     // state
        Figures,   // state (Erasing or Programming), done, total
        Percent,   // percent, the progress bar's position
        Connected, // identity, runInProgress
        Log,       // text: one complete line of the job's log
        Message,   // text: what the window would show in a message box
        Finished,  // result
    };
    int job = 0;
    Kind kind = Kind::State;
    JobState state = JobState::Connecting;
    int done = 0;
    int total = 0;
    int percent = 0;
    QString text;
    CameraIdentity identity;
    bool runInProgress = false;
    JobResult result;
};

// Takes a job's events; may be called from the job's own thread.
class JobSink {
public:
    virtual ~JobSink() = default;
    virtual void Post(const JobEvent& event) = 0;
};

} // namespace kestrel::cli
