#pragma once

#include "camera_info_query.h"
#include "eject_outcome.h"
#include "job_verdict.h"
#include "camera_scanner.h"
#include "stick_copy_result.h"

#include <QList>
#include <QObject>
#include <QString>

#include <optional>

namespace kestrel::cli {

// Where one job (a camera, the copy to a stick, a search) stands.
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

// How a job ended.
struct JobResult {
    ResultCode code = ResultCode::Interrupted; // until the job tells how it ended
    QString detail; // for the operator: why it failed, or what was confirmed
    CameraIdentity before;
    CameraIdentity after;
    bool runInProgress = false; // the camera was programming when connected
    qint64 elapsedMs = 0;
    QString record;          // the file of the conversation record; empty without one
    bool changed = false;    // this command started a programming run on the camera
    QList<StagedFile> files; // stage: the files copied and verified
    // stage --eject: how ejecting the stick ended; none: not tried
    std::optional<EjectOutcome::Result> eject;
    QList<ScanFinding> found; // scan: the cameras found, as they answered

    // The job did what it was asked: "ok", and the successes of their own
    // ("current", plan's actions but "unreachable").
    bool Ok() const { return Succeeded(code); }

    // The serial number as first read: before the run, or after it when the
    // camera was found programming.
    QString Serial() const { return before.serial.isEmpty() ? after.serial : before.serial; }

    // "ok" ("ok, ejected" after ejecting the stick), a success of its own
    // ("current", plan's "skip: current"), or "FAILED: " and the code in a few
    // words, for the lines and the tables.
    QString Shown() const;

    void Set(ResultCode resultCode, QString text) {
        code = resultCode;
        detail = std::move(text);
    }
};

// Something a job tells the operator, in the order the job sent it.
struct JobEvent {
    enum class Kind {
        State,     // state
        Figures,   // state (Erasing or Programming), done, total
        Percent,   // percent, the progress bar's position
        Connected, // identity, runInProgress
        Log,       // text: one complete line of the job's log
        Message,   // text: what the window would show in a message box
        Finished,  // result
        Plan,      // result: what update would do (code the action, detail why)
        Found,     // finding: a camera that answered a search
        Searched,  // done of total addresses looked at
    };
    int job = 0;
    Kind kind = Kind::State;
    JobState state = JobState::Connecting;
    qint64 done = 0;
    qint64 total = 0;
    int percent = 0;
    QString text;
    CameraIdentity identity;
    bool runInProgress = false;
    JobResult result;
    ScanFinding finding;
};

// Takes a job's events.
class JobSink {
public:
    virtual ~JobSink() = default;
    virtual void Post(const JobEvent& event) = 0;
};

// One job of a command, driven by the signals of what it works on, in the
// thread that builds it. Its events go to its sink as they happen, the last
// one Finished, with the result.
class Job : public QObject {
    Q_OBJECT
public:
    // Starts the work and returns; the job never ends inside Start.
    virtual void Start() = 0;
    // The operator asked to stop (Ctrl-C): the job ends as soon as that is
    // safe, and says what stopping it meant.
    virtual void Stop() = 0;
};

} // namespace kestrel::cli
