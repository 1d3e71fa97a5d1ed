#include "firmware_run.h"

#include "app/dialog_state.h"
#include "app/window_surface.h"
#include "link/command_channel.h"
#include "link/connector.h"
#include "link/line_transport.h"
#include "run_texts.h"
#include "update_probe.h"

namespace kestrel {

using namespace runtexts;

namespace {
const QByteArray kStatusCommand = QByteArrayLiteral("CAM_FIRMWAREUPDATE 1");
constexpr std::int32_t kStartEraseTotal = 155;
constexpr std::int32_t kStartProgramTotal = 20000;

std::string_view View(const QByteArray& bytes) {
    return {bytes.constData(), static_cast<std::size_t>(bytes.size())};
}
} // namespace

FirmwareRun::FirmwareRun(DialogState& state, WindowSurface& surface, CommandChannel& channel,
                         LineTransport& transport, Connector& connector, RunSettings settings)
    : m_state(state), m_surface(surface), m_channel(channel), m_transport(transport),
      m_connector(connector), m_settings(settings) {
    connect(&m_connector, &Connector::connectionLost, this, [this] { m_lossSeen = true; });
}

RunOutcome FirmwareRun::RunFirmwareUpdate() {
    if (!m_state.m_bConnected) {
        m_surface.ShowMessageBox(kNotConnected);
        return RunOutcome::NotConnected;
    }
    Run run;
    run.epoch = m_epoch;
    m_lossSeen = false;

    if (!m_state.m_bUpdateRunning) {
        ProbeUpdateStatus(m_state, m_channel);
        if (!m_transport.IsOpen()) // the log already says the connection was lost
            return RunOutcome::ConnectionLost;
    }
    m_state.m_strLog = kBanner;
    if (m_state.m_bUpdateRunning) {
        run.progressSeen = true; // the camera has reported this run already
        m_state.m_strLog += kAlreadyRunning;
        ShowLog();
    } else {
        m_state.m_strLog += kStarting;
        ShowLog();
        for (const char* stop :
             {"CAM_PLAYSTOP", "CAM_FG_RECORDSTOP", "CAM_LIVESTOP", "CAM_SSD_PLAYSTOP"})
            m_channel.SendCommand(QByteArray(stop));
        if (!m_transport.IsOpen()) {
            m_state.m_strLog += kLostBeforeStart;
            ShowLog();
            return RunOutcome::ConnectionLost;
        }
        m_state.m_bUpdateRunning = true;
        m_channel.SendCommand(QByteArrayLiteral("CAM_FIRMWAREUPDATE 0"));
        run.started = true;
    }
    run.sinceStart.start();
    run.sinceChange.start();

    // Erase phase.
    m_state.m_strLog += kEraseHeading;
    ShowLog();
    if (FollowPhase(run, Phase::Erase) == Step::Ended)
        return run.outcome;
    m_state.m_strLog += kPhaseOk;
    m_surface.SetProgress(100);
    m_surface.Wait(m_settings.phaseEndPauseMs);

    // Programming phase.
    m_state.m_strLog += kProgramHeading;
    ShowLog();
    m_surface.Wait(m_settings.switchPauseMs);
    if (FollowPhase(run, Phase::Program) == Step::Ended)
        return run.outcome;
    m_state.m_strLog += kPhaseOk;
    m_surface.SetProgress(100);
    m_surface.Wait(m_settings.phaseEndPauseMs);

    m_state.m_strLog += kFinished + kPowerCycle;
    ShowLog();
    End(run, RunOutcome::Finished, QString(), QString());
    return run.outcome;
}

FirmwareRun::Step FirmwareRun::FollowPhase(Run& run, Phase phase) {
    const bool erase = phase == Phase::Erase;
    std::int32_t& total = erase ? run.status.nEraseTotal : run.status.nProgramTotal;
    std::int32_t& done = erase ? run.status.nEraseDone : run.status.nProgramDone;
    total = erase ? kStartEraseTotal : kStartProgramTotal;
    done = 0;
    int lastPosition = 0;
    m_surface.SetProgress(0);
    emit phaseStarted(phase);

    QElapsedTimer sincePoll;
    for (;;) {
        // The camera is asked a few times a second, not back to back: the
        // figures change slowly and the tool stays nearly idle meanwhile.
        if (sincePoll.isValid()) {
            const qint64 rest = m_settings.pollIntervalMs - sincePoll.elapsed();
            if (rest > 0)
                m_surface.Wait(static_cast<int>(rest));
        }
        if (Superseded(run)) {
            run.outcome = RunOutcome::Superseded;
            return Step::Ended;
        }
        sincePoll.start();
        const QByteArray reply = m_channel.SendCommand(kStatusCommand);
        if (Superseded(run)) {
            run.outcome = RunOutcome::Superseded;
            return Step::Ended;
        }
        if (!m_transport.IsOpen()) {
            if (!m_lossSeen) {
                End(run, RunOutcome::Disconnected, kDisconnected, kDisconnectedMessage);
                return Step::Ended;
            }
            if (!Reconnect(run))
                return Step::Ended;
            continue;
        }
        if (IsIdleStatus(View(reply))) {
            if (HandleIdle(run, phase))
                return Step::Ended;
        } else {
            if (!reply.isEmpty())
                run.progressSeen = true;
            ParseUpdateStatus(View(reply), run.status);
        }
        if (reply != run.lastReply) {
            run.lastReply = reply;
            run.sinceChange.restart();
        } else if (run.sinceChange.hasExpired(m_settings.stallTimeoutMs)) {
            End(run, RunOutcome::Stalled,
                Stalled(m_settings.stallTimeoutMs, Figures(run.status, phase)), kStalledMessage);
            return Step::Ended;
        }
        m_channel.PumpWaitingMessages();

        if (!erase && total == 0)
            total = kStartProgramTotal;
        emit figuresRead(phase, done, total);
        const int position = ProgressPosition(done, total);
        if (position > lastPosition) {
            m_surface.SetProgress(position);
            lastPosition = position;
        }
        const QString statusLine = erase ? SectorLine(done, total) : PageLine(done, total);
        m_surface.ShowTextWithCaret(Pane::Log, m_state.m_strLog + statusLine,
                                    m_state.m_strLog.size());
        if (!PhaseUnfinished(done, total, 1))
            return Step::PhaseDone;
    }
}

bool FirmwareRun::HandleIdle(Run& run, Phase phase) {
    // A camera may take a moment to begin the run it was just told to start.
    if (run.started && !run.progressSeen && !run.sinceStart.hasExpired(m_settings.startGraceMs))
        return false;
    if (!run.progressSeen) {
        End(run, RunOutcome::NeverStarted, NeverStarted(m_settings.startGraceMs),
            kNeverStartedMessage);
        return true;
    }
    // The camera counts a phase as done one step before the end figures; a
    // run last seen there has ended normally between two polls.
    if (phase == Phase::Program &&
        !PhaseUnfinished(run.status.nProgramDone, run.status.nProgramTotal, 2)) {
        m_state.m_strLog += kPhaseOk;
        m_surface.SetProgress(100);
        m_state.m_strLog += kFinished + kPowerCycle;
        ShowLog();
        End(run, RunOutcome::Finished, QString(), QString());
        return true;
    }
    End(run, RunOutcome::CameraStopped, StoppedEarly(Figures(run.status, phase)),
        kStoppedEarlyMessage);
    return true;
}

bool FirmwareRun::Reconnect(Run& run) {
    m_state.m_strLog += TryingToReconnect(m_settings.reconnectWindowMs);
    ShowLog();
    emit reconnecting();
    QElapsedTimer trying;
    trying.start();
    for (;;) {
        if (Superseded(run)) {
            run.outcome = RunOutcome::Superseded;
            return false;
        }
        if (m_state.m_bConnected && m_transport.IsOpen())
            break; // connected again, by this run or by the operator
        if (m_connector.Reconnect())
            continue;
        if (trying.hasExpired(m_settings.reconnectWindowMs)) {
            End(run, RunOutcome::ConnectionLost, CouldNotReconnect(m_settings.reconnectWindowMs),
                kLostMessage);
            return false;
        }
        m_surface.Wait(m_settings.reconnectPauseMs);
    }
    m_lossSeen = false;
    run.sinceChange.restart();
    m_state.m_strLog += Reconnected(m_connector.Address());
    ShowLog();
    emit reconnected();
    return true;
}

void FirmwareRun::ShowLog() {
    m_surface.ShowAtEnd(Pane::Log, m_state.m_strLog);
}

void FirmwareRun::End(Run& run, RunOutcome outcome, const QString& logText,
                      const QString& message) {
    run.outcome = outcome;
    m_state.m_bUpdateRunning = false;
    ++m_epoch;
    if (!logText.isEmpty()) {
        m_state.m_strLog += logText;
        ShowLog();
    }
    if (!message.isEmpty())
        m_surface.ShowMessageBox(message);
}

QString FirmwareRun::Figures(const UpdateStatus& status, Phase phase) {
    return phase == Phase::Erase ? QStringLiteral("erasing, sector %1 of %2")
                                       .arg(status.nEraseDone)
                                       .arg(status.nEraseTotal)
                                 : QStringLiteral("programming, page %1 of %2")
                                       .arg(status.nProgramDone)
                                       .arg(status.nProgramTotal);
}

} // namespace kestrel
