#include "result_code.h"

namespace kestrel {

namespace {

using enum ResultCode;

constexpr std::array<ResultCodeEntry, 17> kCodes{{
    {Ok, "ok", "ok", "Programming finished: power-cycle the camera to load the new firmware."},
    {ConnectFailed, "connect-failed", "could not connect",
     "The connection to the camera ended before its information was read."},
    {NotConnected, "not-connected", "not connected", ""},
    {StoppedEarly, "stopped-early", "camera stopped the run early", ""},
    {NotStarted, "not-started", "programming not begun yet", ""},
    {Stalled, "stalled", "programming stalled", ""},
    {ConnectionLost, "connection-lost", "connection lost",
     "The connection to the camera was lost before the programming was started."},
    {Disconnected, "disconnected", "disconnected", ""},
    {Superseded, "superseded", "followed by another run", ""},
    {Busy, "busy", "a run was already being started", ""},
    {NoRun, "no-run", "not programming",
     "The camera is not programming: there is no run to follow."},
    {VersionUnchanged, "version-unchanged", "version unchanged", ""},
    {NoPowerCycle, "no-power-cycle", "not power-cycled", ""},
    {NotBack, "not-back", "did not come back", ""},
    {CopyFailed, "copy-failed", "copy failed", ""},
    {EjectFailed, "eject-failed", "copied, stick not ejected", ""},
    {Interrupted, "interrupted", "interrupted", ""},
}};

constexpr bool InEnumOrder() {
    for (std::size_t i = 0; i < kCodes.size(); ++i) {
        if (static_cast<std::size_t>(kCodes.at(i).value) != i)
            return false;
    }
    return static_cast<std::size_t>(Interrupted) + 1 == kCodes.size();
}
static_assert(InEnumOrder(), "one entry per result code, in the order of the enum");

const ResultCodeEntry& EntryOf(ResultCode value) {
    return kCodes.at(static_cast<std::size_t>(value));
}

} // namespace

const std::array<ResultCodeEntry, 17>& ResultCodes() {
    return kCodes;
}

QString CodeOf(ResultCode value) {
    return QString::fromLatin1(EntryOf(value).code);
}

QString LabelOf(ResultCode value) {
    return QString::fromLatin1(EntryOf(value).label);
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
