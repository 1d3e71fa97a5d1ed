#include "firmware_run.h"

#include "busy_gate.h"
#include "byte_view.h"
#include "call_later.h"
#include "camera_commands.h"
#include "connect_sequence.h"

#include "connector.h"
#include "line_transport.h"
#include "log_book.h"
#include "run_texts.h"
#include "session_events.h"
#include "session_io.h"

namespace kestrel {

namespace {
using commands::kRunStatus;
} // namespace

FirmwareRun::FirmwareRun(SessionIo io, BusyGate& gate, LineTransport& transport,
                         Connector& connector, ConnectSequence& sequence, RunSettings settings)
    : m_log(io.log), m_events(io.events), m_gate(gate), m_transport(transport),
      m_connector(connector), m_sequence(sequence), m_settings(settings),
      m_tracker(settings.Limits()) {
    m_clock.start();
    m_timer.setSingleShot(true);
    m_timer.setTimerType(Qt::PreciseTimer);
    connect(&m_timer, &QTimer::timeout, this, [this] {
        const std::function<void()> step = std::move(m_afterPause);
        m_afterPause = nullptr;
        if (step)
            step();
    });
    connect(&m_connector, &Connector::connectionLost, this, [this] { m_lossSeen = true; });
}

std::optional<RunOutcome> FirmwareRun::RunFirmwareUpdate() {
    if (!m_connector.Connected()) {
        emit m_events.message(texts::kNotConnected);
        return RunOutcome::NotConnected;
    }
    // A run being started or closed is not entered again; a run whose phases
    // are followed is taken over with what the camera reported so far.
    if (m_stage == Stage::Starting || m_stage == Stage::Closing ||
        (m_stage == Stage::Polling && !UpdateRunning()))
        return RunOutcome::Ignored;
    const bool takeOver = m_stage == Stage::Polling;
    ++m_runId; // whatever the run before waited for is dropped
    m_timer.stop();
    m_afterPause = nullptr;
    if (!takeOver)
        m_tracker = RunTracker(m_settings.Limits());
    m_lossSeen = false;
    if (UpdateRunning()) {
        Announce(takeOver, QByteArray());
        return std::nullopt;
    }
    m_stage = Stage::Starting;
    Probe(this, OfThisRun([this](const std::optional<QByteArray>& reply) {
              if (!reply || !m_transport.IsOpen()) {
                  // The log already says the connection was lost.
                  End(RunOutcome::ConnectionLost, QString(), QString());
                  return;
              }
              Announce(false, *reply);
          }));
    return std::nullopt;
}

bool FirmwareRun::UpdateRunning() const {
    return m_gate.UpdateRunning();
}

void FirmwareRun::Probe(QObject* context, ProbeReply done) {
    ProbeUpdateStatus(m_gate, context, std::move(done));
}

void FirmwareRun::Stop() {
    if (!Active())
        return;
    // The run is over now; whoever follows it hears so from the event loop.
    Quiet();
    CallLater(this, [this] { emit ended(RunOutcome::Interrupted, QString(), QString()); });
}

void FirmwareRun::After(int ms, std::function<void()> step) {
    m_afterPause = std::move(step);
    m_timer.start(std::max(0, ms));
}

CommandChannel::Reply
FirmwareRun::OfThisRun(std::function<void(const std::optional<QByteArray>&)> step) {
    return [this, run = m_runId, step = std::move(step)](const std::optional<QByteArray>& reply) {
        if (StillGoing(run))
            step(reply);
    };
}

void FirmwareRun::Announce(bool takeOver, const QByteArray& probeReply) {
    m_log.Restart(texts::kBanner);
    if (UpdateRunning()) {
        m_log.Write(texts::kAlreadyRunning);
        ShowLog();
        emit announced(true);
        if (!takeOver) // a run taken over keeps what the camera reported of it
            m_tracker.Following(Now());
        BeginFollowing();
        return;
    }
    m_log.Write(texts::kStarting);
    ShowLog();
    emit announced(false);
    // A camera that still shows the final figures of a run it has finished
    // would not take a new start; it is asked until it reports idle.
    if (!m_tracker.NeedsSettling(View(probeReply), Now())) {
        StopActivities(0);
        return;
    }
    ShowWithStatus(texts::SettleLine(m_tracker.SettleLimitMs()));
    After(m_settings.pollIntervalMs, [this] { Settle(); });
}

void FirmwareRun::Settle() {
    m_gate.SendCommand(kRunStatus, this, OfThisRun([this](const std::optional<QByteArray>& reply) {
                           if (!reply || !m_transport.IsOpen()) {
                               LostBeforeStart();
                               return;
                           }
                           if (m_tracker.Settled(View(*reply), Now())) {
                               ShowLog();
                               StopActivities(0);
                               return;
                           }
                           ShowWithStatus(texts::SettleLine(m_tracker.SettleLimitMs()));
                           After(m_settings.pollIntervalMs, [this] { Settle(); });
                       }));
}

void FirmwareRun::StopActivities(qsizetype next) {
    if (next == commands::kStopActivities.size()) {
        if (!m_transport.IsOpen()) {
            LostBeforeStart();
            return;
        }
        SendStart();
        return;
    }
    // The replies are not looked at.
    m_gate.SendCommand(
        commands::kStopActivities.at(next), this,
        OfThisRun([this, next](const std::optional<QByteArray>&) { StopActivities(next + 1); }));
}

void FirmwareRun::SendStart() {
    m_gate.SetUpdateRunning(true);
    m_gate.SendCommand(commands::kStartRun, this,
                       OfThisRun([this](const std::optional<QByteArray>&) {
                           m_tracker.Started(Now());
                           BeginFollowing();
                       }),
                       [this, run = m_runId] {
                           if (StillGoing(run))
                               emit startSent();
                       });
}

void FirmwareRun::BeginFollowing() {
    m_stage = Stage::Polling;
    // The machine stays awake while the camera rewrites its flash, whatever
    // the way the run ends (End lets go); a run taken over keeps the lock.
    if (!m_awake)
        m_awake.emplace();
    m_log.Write(texts::kEraseHeading);
    ShowLog();
    BeginPhase(FlashPhase::Erase);
}

void FirmwareRun::BeginPhase(FlashPhase phase) {
    m_phase = phase;
    m_tracker.BeginPhase(phase);
    emit m_events.progress(0);
    emit phaseStarted(phase);
    Poll();
}

void FirmwareRun::Poll() {
    m_sincePoll.start();
    m_gate.SendCommand(kRunStatus, this, OfThisRun([this](const std::optional<QByteArray>& reply) {
                           OnPolled(reply);
                       }));
}

void FirmwareRun::OnPolled(const std::optional<QByteArray>& reply) {
    if (!reply || !m_transport.IsOpen()) {
        if (!m_lossSeen) {
            End(RunOutcome::Disconnected, texts::kDisconnected, texts::kDisconnectedMessage);
            return;
        }
        Reconnect();
        return;
    }
    const RunStep answer = m_tracker.OnReply(View(*reply), Now());
    if (answer.next == RunStep::Next::Ended && answer.end != RunEnd::Finished) {
        EndOn(answer.end);
        return;
    }
    if (answer.next == RunStep::Next::Ended && !answer.figures) {
        Finish(); // idle after the camera had reported the end
        return;
    }
    emit figuresRead(m_phase, answer.done, answer.total);
    if (answer.moved)
        emit m_events.progress(answer.position);
    ShowWithStatus(answer.waiting                 ? texts::WaitingToBegin(m_tracker.StartWaitMs())
                   : m_phase == FlashPhase::Erase ? texts::SectorLine(answer.done, answer.total)
                                                  : texts::PageLine(answer.done, answer.total));
    if (answer.next == RunStep::Next::PhaseDone) {
        PhaseDone();
        return;
    }
    if (answer.next == RunStep::Next::Ended) {
        Finish();
        return;
    }
    // The camera is asked a few times a second, not back to back: the
    // figures change slowly and the tool stays nearly idle meanwhile.
    After(static_cast<int>(m_settings.pollIntervalMs - m_sincePoll.elapsed()), [this] { Poll(); });
}

void FirmwareRun::PhaseDone() {
    m_log.Write(texts::kPhaseOk);
    emit phaseEnded(FlashPhase::Erase);
    emit m_events.progress(100);
    After(m_settings.phaseEndPauseMs, [this] {
        m_log.Write(texts::kProgramHeading);
        ShowLog();
        After(m_settings.switchPauseMs, [this] { BeginPhase(FlashPhase::Program); });
    });
}

void FirmwareRun::Reconnect() {
    m_log.Write(texts::TryingToReconnect(m_tracker.ReconnectWindowMs()));
    ShowLog();
    emit reconnecting(m_tracker.ReconnectWindowMs());
    TryToReconnect();
}

void FirmwareRun::TryToReconnect() {
    // Connected again by this run or by the operator, unless the window for
    // it is over.
    if (!m_tracker.KeepTrying(Now())) {
        EndOn(RunEnd::ConnectionLost);
        return;
    }
    if (m_connector.StillConnected(m_connector.Generation())) {
        Reconnected();
        return;
    }
    m_sequence.Reconnect([this, run = m_runId](bool back) {
        if (!StillGoing(run))
            return;
        if (back)
            Reconnected();
        else
            After(m_settings.reconnectPauseMs, [this] { TryToReconnect(); });
    });
}

void FirmwareRun::Reconnected() {
    m_lossSeen = false;
    m_tracker.Reconnected(Now());
    m_log.Write(texts::Reconnected(m_connector.Address()));
    ShowLog();
    emit reconnected(m_connector.Address());
    After(static_cast<int>(m_settings.pollIntervalMs - m_sincePoll.elapsed()), [this] { Poll(); });
}

void FirmwareRun::ShowLog() {
    emit m_events.logShown();
}

void FirmwareRun::ShowWithStatus(const QString& line) {
    // The status line follows the log, the caret at its start; it is never
    // part of the log.
    emit m_events.statusLine(line);
}

void FirmwareRun::Finish() {
    m_stage = Stage::Closing;
    m_log.Write(texts::kPhaseOk);
    emit phaseEnded(m_phase);
    emit m_events.progress(100);
    After(m_settings.phaseEndPauseMs,
          [this] { End(RunOutcome::Finished, texts::kFinished + texts::kPowerCycle, QString()); });
}

void FirmwareRun::EndOn(RunEnd end) {
    const RunTracker& t = m_tracker;
    switch (end) {
    case RunEnd::None:
    case RunEnd::Finished:
        Finish();
        return;
    case RunEnd::CameraStopped:
        End(RunOutcome::CameraStopped, texts::StoppedEarly(Figures(t)),
            texts::kStoppedEarlyMessage);
        return;
    case RunEnd::NeverStarted:
        End(RunOutcome::NeverStarted, texts::NeverStarted(t.StartWaitMs()),
            texts::kNeverStartedMessage);
        return;
    case RunEnd::Stalled:
        End(RunOutcome::Stalled, texts::Stalled(t.StallLimitMs(), Figures(t)),
            texts::kStalledMessage);
        return;
    case RunEnd::ConnectionLost:
        End(RunOutcome::ConnectionLost, texts::CouldNotReconnect(t.ReconnectWindowMs()),
            texts::kLostMessage);
        return;
    }
}

void FirmwareRun::LostBeforeStart() {
    End(RunOutcome::ConnectionLost, texts::kLostBeforeStart, QString());
}

void FirmwareRun::Quiet() {
    m_gate.SetUpdateRunning(false);
    m_stage = Stage::Idle;
    m_timer.stop();
    m_afterPause = nullptr;
    m_awake.reset();
}

void FirmwareRun::End(RunOutcome outcome, const QString& logText, const QString& message) {
    Quiet();
    if (!logText.isEmpty()) {
        m_log.Write(logText);
        ShowLog();
    }
    emit ended(outcome, message, logText);
    if (!message.isEmpty())
        emit m_events.message(message);
}

QString FirmwareRun::Figures(const RunTracker& tracker) {
    const RunStep now = tracker.StepAsItStands();
    return (now.phase == FlashPhase::Erase ? QStringLiteral("erasing, sector %1 of %2")
                                           : QStringLiteral("programming, page %1 of %2"))
        .arg(now.done)
        .arg(now.total);
}

} // namespace kestrel
