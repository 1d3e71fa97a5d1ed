#include "outcome_texts.h"

#include <array>
#include <utility>

namespace kestrel::cli {

namespace {

struct OutcomeText {
    RunOutcome outcome;
    const char* code;
};

constexpr std::array kOutcomes{
    OutcomeText{RunOutcome::Finished, "ok"},
    OutcomeText{RunOutcome::NotConnected, "not-connected"},
    OutcomeText{RunOutcome::CameraStopped, "stopped-early"},
    OutcomeText{RunOutcome::NeverStarted, "not-started"},
    OutcomeText{RunOutcome::Stalled, "stalled"},
    OutcomeText{RunOutcome::ConnectionLost, "connection-lost"},
    OutcomeText{RunOutcome::Disconnected, "disconnected"},
    OutcomeText{RunOutcome::Superseded, "superseded"},
    OutcomeText{RunOutcome::Ignored, "busy"},
    OutcomeText{RunOutcome::Interrupted, "interrupted"},
};

const std::array<std::pair<const char*, const char*>, 18> kLabels{{
    {"ok", "ok"},
    {"connect-failed", "could not connect"},
    {"not-connected", "not connected"},
    {"stopped-early", "camera stopped the run early"},
    {"not-started", "programming did not start"},
    {"stalled", "programming stalled"},
    {"connection-lost", "connection lost"},
    {"disconnected", "disconnected"},
    {"superseded", "followed by another run"},
    {"busy", "a run was already being started"},
    {"no-run", "not programming"},
    {"version-unchanged", "version unchanged"},
    {"no-power-cycle", "not power-cycled"},
    {"not-back", "did not come back"},
    {"copy-failed", "copy failed"},
    {"eject-failed", "copied, stick not ejected"},
    {"interrupted", "interrupted"},
    {"report-failed", "report not written"},
}};

} // namespace

void SetRunResult(JobResult& result, RunOutcome outcome, const QString& lastMessage) {
    for (const OutcomeText& entry : kOutcomes) {
        if (entry.outcome != outcome)
            continue;
        const bool ok = outcome == RunOutcome::Finished;
        QString detail = lastMessage;
        if (ok)
            detail = QStringLiteral("Programming finished: power-cycle the camera to load the new "
                                    "firmware.");
        else if (outcome == RunOutcome::ConnectionLost && detail.isEmpty())
            // The run ends without a message only when nothing was started.
            detail = QStringLiteral("The connection to the camera was lost before the "
                                    "programming was started.");
        result.Set(ok, QString::fromLatin1(entry.code), detail);
        return;
    }
}

QString ResultLabel(const QString& code) {
    for (const auto& [key, label] : kLabels) {
        if (code == QLatin1String(key))
            return QString::fromLatin1(label);
    }
    return code;
}

QString StateLabel(JobState state) {
    switch (state) {
    case JobState::Connecting:
        return QStringLiteral("connecting");
    case JobState::Reading:
        return QStringLiteral("reading");
    case JobState::Starting:
        return QStringLiteral("starting");
    case JobState::Erasing:
        return QStringLiteral("erasing");
    case JobState::Programming:
        return QStringLiteral("programming");
    case JobState::Reconnecting:
        return QStringLiteral("reconnecting");
    case JobState::WaitingForPowerCycle:
        return QStringLiteral("power-cycle now");
    case JobState::WaitingForCamera:
        return QStringLiteral("waiting for camera");
    case JobState::Copying:
        return QStringLiteral("copying");
    case JobState::Done:
        return QStringLiteral("done");
    }
    return QString();
}

} // namespace kestrel::cli
