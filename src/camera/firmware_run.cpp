#include "firmware_run.h"

#include "busy_gate.h"
#include "byte_view.h"
#include "camera_commands.h"
#include "connect_sequence.h"

#include "connector.h"
#include "line_transport.h"
#include "log_book.h"
#include "run_texts.h"
#include "update_probe.h"
#include "operator_input.h"
#include "session_events.h"
#include "session_io.h"

namespace kestrel {

using namespace runtexts;

namespace {
using commands::kRunStatus;

} // namespace

FirmwareRun::FirmwareRun(SessionIo io, BusyGate& gate, LineTransport& transport,
                         Connector& connector, ConnectSequence& sequence, RunSettings settings)
    : m_log(io.log), m_events(io.events), m_input(io.input), m_gate(gate),
      m_transport(transport), m_connector(connector), m_sequence(sequence),
      m_settings(settings) {
    m_clock.start();
    connect(&m_connector, &Connector::connectionLost, this, [this] { m_lossSeen = true; });
}

RunOutcome FirmwareRun::RunFirmwareUpdate() {
    if (!m_connector.Connected()) {
        emit m_events.message(kNotConnected);
        return RunOutcome::NotConnected;
    }
    // A run being started or closed is not entered again; a run whose phases
    // are followed is taken over with what the camera reported so far.
    if (m_stage == Stage::Starting || m_stage == Stage::Closing ||
        (m_stage == Stage::Polling && !UpdateRunning()))
        return RunOutcome::Ignored;
    Run run{m_epoch, m_active ? m_active->tracker : RunTracker(m_settings.Limits()),
            RunOutcome::Finished};
    m_lossSeen = false;

    QByteArray probeReply;
    if (!UpdateRunning()) {
        m_stage = Stage::Starting;
        probeReply = Probe();
        if (!m_transport.IsOpen()) { // the log already says the connection was lost
            m_stage = Stage::Idle;
            return RunOutcome::ConnectionLost;
        }
    }
    m_log.Restart(kBanner);
    if (UpdateRunning()) {
        m_log.Write(kAlreadyRunning);
        ShowLog();
        if (!m_active) // a run taken over keeps what the camera reported of it
            run.tracker.Following(Now());
    } else {
        m_log.Write(kStarting);
        ShowLog();
        if (!Start(run, probeReply)) {
            m_stage = Stage::Idle;
            if (m_stopRequested)
                return RunOutcome::Interrupted;
            m_log.Write(kLostBeforeStart);
            ShowLog();
            return RunOutcome::ConnectionLost;
        }
    }
    m_stage = Stage::Polling;
    m_active = &run;
    // The machine stays awake while the camera rewrites its flash, whatever
    // the way the run ends (End lets go); a run taken over keeps the lock.
    if (!m_awake)
        m_awake.emplace();

    m_log.Write(kEraseHeading);
    ShowLog();
    Step step = FollowPhase(run, FlashPhase::Erase);
    if (step == Step::PhaseDone) {
        m_log.Write(kPhaseOk);
        emit m_events.progress(100);
        if (!Pause(run, m_settings.phaseEndPauseMs))
            return run.outcome;
        m_log.Write(kProgramHeading);
        ShowLog();
        if (!Pause(run, m_settings.switchPauseMs))
            return run.outcome;
        step = FollowPhase(run, FlashPhase::Program);
    }
    if (step == Step::Finished)
        Finish(run);
    return run.outcome;
}

bool FirmwareRun::UpdateRunning() const {
    return m_gate.UpdateRunning();
}

QByteArray FirmwareRun::Probe() {
    return ProbeUpdateStatus(m_gate);
}

bool FirmwareRun::Start(Run& run, const QByteArray& probeReply) {
    if (!Settle(run, probeReply))
        return false;
    for (const QByteArray& stop : commands::kStopActivities)
        m_gate.SendCommand(stop);
    if (!m_transport.IsOpen())
        return false;
    m_gate.SetUpdateRunning(true);
    m_gate.SendCommand(commands::kStartRun);
    run.tracker.Started(Now());
    return true;
}

bool FirmwareRun::Settle(Run& run, const QByteArray& probeReply) {
    // A camera that still shows the final figures of a run it has finished
    // would not take a new start; it is asked until it reports idle.
    if (!run.tracker.NeedsSettling(View(probeReply), Now()))
        return true;
    const QString waiting = SettleLine(run.tracker.SettleLimitMs());
    for (;;) {
        ShowWithStatus(waiting);
        m_input.Wait(m_settings.pollIntervalMs);
        const QByteArray reply = m_gate.SendCommand(kRunStatus);
        if (!m_transport.IsOpen())
            return false;
        if (run.tracker.Settled(View(reply), Now()))
            break;
    }
    ShowLog();
    return true;
}

FirmwareRun::Step FirmwareRun::FollowPhase(Run& run, FlashPhase phase) {
    run.tracker.BeginPhase(phase);
    emit m_events.progress(0);
    emit phaseStarted(phase);

    QElapsedTimer sincePoll;
    for (;;) {
        // The camera is asked a few times a second, not back to back: the
        // figures change slowly and the tool stays nearly idle meanwhile.
        if (sincePoll.isValid()) {
            const qint64 rest = m_settings.pollIntervalMs - sincePoll.elapsed();
            if (rest > 0 && !Pause(run, static_cast<int>(rest)))
                return Step::Ended;
        }
        sincePoll.start();
        const QByteArray reply = m_gate.SendCommand(kRunStatus);
        if (!Current(run))
            return Step::Ended;
        if (!m_transport.IsOpen()) {
            if (!m_lossSeen) {
                End(run, RunOutcome::Disconnected, kDisconnected, kDisconnectedMessage);
                return Step::Ended;
            }
            if (!Reconnect(run))
                return Step::Ended;
            continue;
        }
        const RunStep answer = run.tracker.OnReply(View(reply), Now());
        if (answer.next == RunStep::Next::Ended && answer.end != RunEnd::Finished) {
            EndOn(run, answer.end);
            return Step::Ended;
        }
        if (answer.next == RunStep::Next::Ended && !answer.figures)
            return Step::Finished; // idle after the camera had reported the end
        m_gate.PumpWaitingMessages();
        if (!Current(run))
            return Step::Ended;

        emit figuresRead(phase, answer.done, answer.total);
        if (answer.moved)
            emit m_events.progress(answer.position);
        const QString statusLine = answer.waiting ? WaitingToBegin(run.tracker.StartWaitMs())
                                   : phase == FlashPhase::Erase
                                       ? SectorLine(answer.done, answer.total)
                                       : PageLine(answer.done, answer.total);
        ShowWithStatus(statusLine);
        if (answer.next == RunStep::Next::PhaseDone)
            return Step::PhaseDone;
        if (answer.next == RunStep::Next::Ended)
            return Step::Finished;
    }
}

bool FirmwareRun::Reconnect(Run& run) {
    m_log.Write(TryingToReconnect(run.tracker.ReconnectWindowMs()));
    ShowLog();
    emit reconnecting();
    // Connected again by this run or by the operator, unless the window for
    // it is over, or a press took the run over meanwhile.
    const bool back = m_sequence.ReconnectUntil(
        [&] { return Current(run) && run.tracker.KeepTrying(Now()); }, m_settings.reconnectPauseMs);
    if (!back) {
        if (Current(run))
            EndOn(run, RunEnd::ConnectionLost);
        return false;
    }
    m_lossSeen = false;
    run.tracker.Reconnected(Now());
    m_log.Write(Reconnected(m_connector.Address()));
    ShowLog();
    emit reconnected();
    return true;
}

bool FirmwareRun::Pause(Run& run, int ms) {
    m_input.Wait(ms);
    return Current(run);
}

bool FirmwareRun::Current(Run& run) {
    if (m_stopRequested && m_epoch == run.epoch)
        End(run, RunOutcome::Interrupted, QString(), QString());
    // A press during a wait may have taken the run over and ended it.
    if (m_epoch == run.epoch)
        return true;
    if (run.outcome == RunOutcome::Interrupted)
        return false;
    run.outcome = RunOutcome::Superseded;
    return false;
}

void FirmwareRun::ShowLog() {
    emit m_events.logShown();
}

void FirmwareRun::ShowWithStatus(const QString& line) {
    // The status line follows the log, the caret at its start; it is never
    // part of the log.
    emit m_events.statusLine(line);
}

void FirmwareRun::Finish(Run& run) {
    m_stage = Stage::Closing;
    m_log.Write(kPhaseOk);
    emit m_events.progress(100);
    m_input.Wait(m_settings.phaseEndPauseMs);
    m_log.Write(kFinished + kPowerCycle);
    ShowLog();
    End(run, RunOutcome::Finished, QString(), QString());
}

void FirmwareRun::EndOn(Run& run, RunEnd end) {
    const RunTracker& t = run.tracker;
    switch (end) {
    case RunEnd::None:
    case RunEnd::Finished:
        Finish(run);
        return;
    case RunEnd::CameraStopped:
        End(run, RunOutcome::CameraStopped, StoppedEarly(Figures(t)), kStoppedEarlyMessage);
        return;
    case RunEnd::NeverStarted:
        End(run, RunOutcome::NeverStarted, NeverStarted(t.StartWaitMs()), kNeverStartedMessage);
        return;
    case RunEnd::Stalled:
        End(run, RunOutcome::Stalled, Stalled(t.StallLimitMs(), Figures(t)), kStalledMessage);
        return;
    case RunEnd::ConnectionLost:
        End(run, RunOutcome::ConnectionLost, CouldNotReconnect(t.ReconnectWindowMs()),
            kLostMessage);
        return;
    }
}

void FirmwareRun::End(Run& run, RunOutcome outcome, const QString& logText,
                      const QString& message) {
    run.outcome = outcome;
    m_gate.SetUpdateRunning(false);
    m_stage = Stage::Idle;
    m_active = nullptr;
    m_awake.reset();
    ++m_epoch;
    if (!logText.isEmpty()) {
        m_log.Write(logText);
        ShowLog();
    }
    emit ended(outcome, message);
    if (!message.isEmpty())
        emit m_events.message(message);
}

QString FirmwareRun::Figures(const RunTracker& tracker) {
    const RunStep now = tracker.Current();
    return (now.phase == FlashPhase::Erase ? QStringLiteral("erasing, sector %1 of %2")
                                           : QStringLiteral("programming, page %1 of %2"))
        .arg(now.done)
        .arg(now.total);
}

} // namespace kestrel
