#pragma once

#include "run_outcome.h"

#include <QString>

#include <array>

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
    Current,      // already at the target version: left alone
    WrongVersion, // back after the power cycle with another version
    VersionUnread, // back after the power cycle without telling its version
    Program,      // plan: update would program the camera
    Skip,         // plan: update would leave it alone (current)
    Follow,       // plan: update would follow the run in progress
    Unreachable,  // plan: the camera could not be asked
    Refused,      // verify: a copy of the files would be refused
};

struct ResultCodeEntry {
    ResultCode value;
    bool success;      // the job did what it was asked: "ok", "current", plan's actions
    const char* code;  // "ok", "connect-failed"
    const char* label; // "could not connect"
    const char* text;  // empty when the job always says why itself
};

// Every value once, in the order of the enum.
const std::array<ResultCodeEntry, 25>& ResultCodes();

QString CodeOf(ResultCode value);
QString LabelOf(ResultCode value);
QString TextOf(ResultCode value);
bool Succeeded(ResultCode value);

// How a programming run that ended so is recorded.
ResultCode ResultOf(RunOutcome outcome);

} // namespace kestrel
