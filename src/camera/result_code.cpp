#include "result_code.h"

namespace kestrel {

namespace {

using enum ResultCode;

constexpr std::array<ResultCodeEntry, 25> kCodes{{
    {Ok, true, "ok", "ok", "Programming finished: power-cycle the camera to load the new firmware."},
    {ConnectFailed, false, "connect-failed", "could not connect",
     "The connection to the camera ended before its information was read."},
    {NotConnected, false, "not-connected", "not connected", ""},
    {StoppedEarly, false, "stopped-early", "camera stopped the run early", ""},
    {NotStarted, false, "not-started", "programming not begun yet", ""},
    {Stalled, false, "stalled", "programming stalled", ""},
    {ConnectionLost, false, "connection-lost", "connection lost",
     "The connection to the camera was lost before the programming was started."},
    {Disconnected, false, "disconnected", "disconnected", ""},
    {Superseded, false, "superseded", "followed by another run", ""},
    {Busy, false, "busy", "a run was already being started", ""},
    {NoRun, false, "no-run", "not programming",
     "The camera is not programming: there is no run to follow."},
    {VersionUnchanged, false, "version-unchanged", "version unchanged", ""},
    {NoPowerCycle, false, "no-power-cycle", "not power-cycled", ""},
    {NotBack, false, "not-back", "did not come back", ""},
    {CopyFailed, false, "copy-failed", "copy failed", ""},
    {EjectFailed, false, "eject-failed", "copied, stick not ejected", ""},
    {Interrupted, false, "interrupted", "interrupted", ""},
    // update with a target version
    {Current, true, "current", "current", ""},
    {WrongVersion, false, "wrong-version", "wrong version", ""},
    {VersionUnread, false, "version-unread", "version not told", ""},
    // plan: what update would do with the camera
    {Program, true, "program", "program", ""},
    {Skip, true, "skip", "skip: current", ""},
    {Follow, true, "follow", "follow: run in progress", ""},
    {Unreachable, false, "unreachable", "unreachable", ""},
    // verify: the checks of a copy, without the copy
    {Refused, false, "refused", "refused", ""},
}};

constexpr bool InEnumOrder() {
    for (std::size_t i = 0; i < kCodes.size(); ++i) {
        if (static_cast<std::size_t>(kCodes.at(i).value) != i)
            return false;
    }
    return static_cast<std::size_t>(Refused) + 1 == kCodes.size();
}
static_assert(InEnumOrder(), "one entry per result code, in the order of the enum");

const ResultCodeEntry& EntryOf(ResultCode value) {
    return kCodes.at(static_cast<std::size_t>(value));
}

} // namespace

const std::array<ResultCodeEntry, 25>& ResultCodes() {
    return kCodes;
}

QString CodeOf(ResultCode value) {
    return QString::fromLatin1(EntryOf(value).code);
}

QString LabelOf(ResultCode value) {
    return QString::fromLatin1(EntryOf(value).label);
}

bool Succeeded(ResultCode value) {
    return EntryOf(value).success;
}

QString TextOf(ResultCode value) {
    return QString::fromLatin1(EntryOf(value).text);
}

ResultCode ResultOf(RunOutcome outcome) {
    switch (outcome) {
    case RunOutcome::Finished:
        return Ok;
    case RunOutcome::NotConnected:
        return NotConnected;
    case RunOutcome::CameraStopped:
        return StoppedEarly;
    case RunOutcome::NeverStarted:
        return NotStarted;
    case RunOutcome::Stalled:
        return Stalled;
    case RunOutcome::ConnectionLost:
        return ConnectionLost;
    case RunOutcome::Disconnected:
        return Disconnected;
    case RunOutcome::Superseded:
        return Superseded;
    case RunOutcome::Ignored:
        return Busy;
    case RunOutcome::Interrupted:
        return Interrupted;
    }
    return Interrupted;
}

} // namespace kestrel
