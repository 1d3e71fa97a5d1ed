#pragma once

#include "power_cycle_rule.h"
#include "run_outcome.h"

#include <QString>

#include <array>
#include <optional>
#include <string_view>

namespace kestrel {

// How a job on a camera or a stick ended. Each value has one entry in
// ResultCodes(): its code, short and stable for scripts and records, a few
// words for tables, and the sentence for the operator when the job has
// nothing more particular to say.
enum class ResultCode {
    Ok,
    ConnectFailed,
    NotConnected,
    StoppedEarly,
    NotStarted,
    Stalled,
    ConnectionLost,
    Disconnected,
    Superseded,
    Busy,
    NoRun,
    VersionUnchanged,
    NoPowerCycle,
    NotBack,
    CopyFailed,
    EjectFailed, // copied and verified, the stick not ejected
    Interrupted,
    Current,           // already at the target version: left alone
    WrongVersion,      // back after the power cycle with another version
    VersionUnread,     // back after the power cycle without telling its version
    PowerCyclePending, // programmed by an earlier run, waiting for its power cycle: left alone
    Program,           // plan: update would program the camera
    Skip,              // plan: update would leave it alone (current)
    SkipPending,       // plan: update would leave it alone (power cycle pending)
    Follow,            // plan: update would follow the run in progress
    Unreachable,       // plan: the camera could not be asked
    Refused,           // verify: a copy of the files would be refused
    NoneFound,         // scan: no camera answered (or the search was cut short)
};

struct ResultCodeEntry {
    ResultCode value;
    bool success;      // the job did what it was asked: "ok", "current", plan's actions
    const char* code;  // "ok", "connect-failed"
    const char* label; // "could not connect"
    const char* text;  // empty when the job always says why itself
};

// Every value once, in the order of the enum.
const std::array<ResultCodeEntry, 28>& ResultCodes();

QString CodeOf(ResultCode value);
QString LabelOf(ResultCode value);
QString TextOf(ResultCode value);
bool Succeeded(ResultCode value);

// How a programming run that ended so is recorded.
ResultCode ResultOf(RunOutcome outcome);

// What a camera job does once it has looked at the camera.
enum class CameraWork {
    Read,   // info: the information, nothing more
    Update, // program the camera, or follow the run it is doing
    Watch,  // follow the run the camera is doing
    Plan,   // say what Update would do, changing nothing
};

// Where a camera job stood when the operator stopped it.
enum class StopPoint {
    BeforeRun, // nothing was started
    DuringRun, // starting or following a run: the camera may be writing its flash
    AfterRun,  // waiting for the power cycle: the programming had ended
};

// What happened to one camera in a job, as far as it got. Versions are as
// the camera's information shows them.
struct JobFacts {
    CameraWork work = CameraWork::Read;
    bool connected = false;     // its information was read
    bool runInProgress = false; // it was programming when connected
    std::string_view hardwareBefore;
    std::string_view target;                 // the version wanted; empty: none
    bool reinstall = false;                  // program a camera already at the target
    std::optional<RunOutcome> runEnd;        // how the run followed ended
    bool runSaidWhy = false;                 // that end came with a sentence of its own
    std::optional<PowerCycleEnd> powerCycle; // how the wait for the power cycle ended
    bool identifiedAfter = false;            // the camera told who it is once back
    std::string_view hardwareAfter;
    std::optional<StopPoint> stopped; // the operator stopped the job
    // The history shows the camera programmed to the end by an earlier run
    // aimed at the same target and not confirmed since, still at the version
    // it had before that run: it waits for its power cycle.
    bool powerCyclePending = false;
};

// Why a job ended as it did: which sentence tells the operator.
enum class VerdictReason {
    None,              // nothing to add
    AwaitingRun,       // not decided yet: the run to follow has not ended
    CodeText,          // the code's own sentence (TextOf)
    Refusal,           // what the failed connect said, else the code's sentence
    RunMessage,        // what the run said at its end
    PowerCycle,        // what the wait for the power cycle said
    AlreadyCurrent,    // the camera already runs the target
    VersionNotRead,    // its version cannot be checked against the target
    WrongVersion,      // back with another version than the target
    TargetReached,     // back with the same version, which is the target
    RunInProgress,     // plan: the run it is doing would be followed
    VersionDecision,   // plan: the rule's reason ("older", "current"...)
    PowerCyclePending, // programmed earlier, waiting for its power cycle
    StoppedBeforeRun,  // the StopPoint
    StoppedDuringRun,
    StoppedAfterRun,
};

struct JobVerdict {
    ResultCode code = ResultCode::Interrupted;
    VerdictReason reason = VerdictReason::None;
    std::string_view decision; // with VersionDecision: the rule's word

    bool operator==(const JobVerdict&) const = default;
};

// The result of a camera job from what happened (while the run to follow has
// not ended: Interrupted, AwaitingRun). Plain C++.
JobVerdict DecideJob(const JobFacts& facts);

} // namespace kestrel
