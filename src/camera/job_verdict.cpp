#include "job_verdict.h"

#include "hw_version_rule.h"

namespace kestrel {

namespace {

using enum ResultCode;

constexpr std::array<ResultCodeEntry, 28> kCodes{{
    {Ok, true, "ok", "ok",
     "Programming finished: power-cycle the camera to load the new firmware."},
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
    {PowerCyclePending, true, "power-cycle-pending", "power cycle pending", ""},
    // plan: what update would do with the camera
    {Program, true, "program", "program", ""},
    {Skip, true, "skip", "skip: current", ""},
    {SkipPending, true, "skip-pending", "skip: power-cycle pending", ""},
    {Follow, true, "follow", "follow: run in progress", ""},
    {Unreachable, false, "unreachable", "unreachable", ""},
    // verify: the checks of a copy, without the copy
    {Refused, false, "refused", "refused", ""},
    // scan
    {NoneFound, false, "none-found", "no camera found", ""},
}};

constexpr bool InEnumOrder() {
    for (std::size_t i = 0; i < kCodes.size(); ++i) {
        if (static_cast<std::size_t>(kCodes.at(i).value) != i)
            return false;
    }
    return static_cast<std::size_t>(NoneFound) + 1 == kCodes.size();
}
static_assert(InEnumOrder(), "one entry per result code, in the order of the enum");

const ResultCodeEntry& EntryOf(ResultCode value) {
    return kCodes.at(static_cast<std::size_t>(value));
}

} // namespace

const std::array<ResultCodeEntry, 28>& ResultCodes() {
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

namespace {

using Reason = VerdictReason;

// A camera at work when the operator stopped its job.
JobVerdict StoppedVerdict(StopPoint point) {
    switch (point) {
    case StopPoint::DuringRun:
        return {Interrupted, Reason::StoppedDuringRun, {}};
    case StopPoint::AfterRun:
        return {Interrupted, Reason::StoppedAfterRun, {}};
    case StopPoint::BeforeRun:
        break;
    }
    return {Interrupted, Reason::StoppedBeforeRun, {}};
}

// A camera to be programmed to a target that an earlier run programmed to it
// already, unless it is to be programmed again all the same.
bool Pending(const JobFacts& facts) {
    return facts.powerCyclePending && !facts.target.empty() && !facts.reinstall;
}

// plan: what update would do with the camera, changing nothing.
JobVerdict PlanVerdict(const JobFacts& facts) {
    if (!facts.connected)
        return {Unreachable, Reason::Refusal, {}};
    if (facts.runInProgress)
        return {Follow, Reason::RunInProgress, {}};
    const VersionDecision decision =
        DecideByVersion(facts.hardwareBefore, facts.target, facts.reinstall);
    if (decision.Unread())
        return {VersionUnread, Reason::VersionNotRead, {}};
    if (!decision.program)
        return {Skip, Reason::VersionDecision, decision.reason};
    if (Pending(facts))
        return {SkipPending, Reason::PowerCyclePending, {}};
    return {Program, Reason::VersionDecision, decision.reason};
}

// After a finished run, the wait for the power cycle; with a target, only
// that version will do once the camera is back.
JobVerdict PowerCycleVerdict(const JobFacts& facts, PowerCycleEnd end) {
    ResultCode code = Ok;
    switch (end) {
    case PowerCycleEnd::NotPowerCycled:
        return {NoPowerCycle, Reason::PowerCycle, {}};
    case PowerCycleEnd::NotBack:
        return {NotBack, Reason::PowerCycle, {}};
    case PowerCycleEnd::VersionUnchanged:
        code = VersionUnchanged;
        break;
    case PowerCycleEnd::VersionUnread:
        code = VersionUnread;
        break;
    case PowerCycleEnd::None:
    case PowerCycleEnd::VersionChanged:
    case PowerCycleEnd::VersionUnknown:
        break;
    }
    if (facts.target.empty() || (code != Ok && code != VersionUnchanged) || !facts.identifiedAfter)
        return {code, Reason::PowerCycle, {}};
    if (!SameHwVersion(facts.hardwareAfter, facts.target))
        return {WrongVersion, Reason::WrongVersion, {}};
    // The same version as before is fine when it is the target: a reinstall.
    return code == Ok ? JobVerdict{Ok, Reason::PowerCycle, {}}
                      : JobVerdict{Ok, Reason::TargetReached, {}};
}

} // namespace

JobVerdict DecideJob(const JobFacts& facts) {
    if (facts.stopped)
        return StoppedVerdict(*facts.stopped);
    if (facts.work == CameraWork::Plan)
        return PlanVerdict(facts);
    if (!facts.connected)
        return {ConnectFailed, Reason::Refusal, {}};
    if (facts.work == CameraWork::Read)
        return {Ok, Reason::None, {}};
    if (facts.work == CameraWork::Watch && !facts.runInProgress)
        return {NoRun, Reason::CodeText, {}};
    if (facts.work == CameraWork::Update && !facts.runInProgress) {
        // A camera that already runs the target is left alone, and so is
        // one whose version cannot be checked against the target.
        const VersionDecision decision =
            DecideByVersion(facts.hardwareBefore, facts.target, facts.reinstall);
        if (decision.Unread())
            return {VersionUnread, Reason::VersionNotRead, {}};
        if (!decision.program)
            return {Current, Reason::AlreadyCurrent, {}};
        if (Pending(facts))
            return {PowerCyclePending, Reason::PowerCyclePending, {}};
    }
    if (!facts.runEnd)
        return {Interrupted, Reason::AwaitingRun, {}};
    const ResultCode run = ResultOf(*facts.runEnd);
    if (run != Ok) {
        // A run ends without a sentence of its own only when nothing was
        // started, or when it was lost before it was.
        const bool said = run != ConnectionLost || facts.runSaidWhy;
        return {run, said ? Reason::RunMessage : Reason::CodeText, {}};
    }
    if (!facts.powerCycle)
        return {Ok, Reason::CodeText, {}};
    return PowerCycleVerdict(facts, *facts.powerCycle);
}

} // namespace kestrel
