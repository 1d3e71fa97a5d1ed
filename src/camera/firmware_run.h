#pragma once

#include "command_channel.h"
#include "keep_awake.h"
#include "run_outcome.h"
#include "run_tracker.h"
#include "update_probe.h"

#include <QElapsedTimer>
#include <QObject>
#include <QString>
#include <QTimer>

#include <functional>
#include <optional>

namespace kestrel {

class LogBook;
class SessionEvents;
struct SessionIo;
class BusyGate;
class LineTransport;
class Connector;
class ConnectSequence;

// The timings of a programming run as the tool follows it.
struct RunSettings {
    int pollIntervalMs = 200; // from one status poll to the next
    int phaseEndPauseMs = 20; // after each phase's final position of 100
    int switchPauseMs = 1000; // after the programming phase's heading
    int startWaitMs = runrules::kStartWaitMs;
    int stallTimeoutMs = runrules::kStallLimitMs;
    int reconnectWindowMs = runrules::kReconnectWindowMs;
    int settleLimitMs = runrules::kSettleLimitMs;
    int reconnectPauseMs = 1000;    // between two attempts
    int afterRunQueryDelayMs = 500; // before the information is read again

    TrackerLimits Limits() const {
        return {startWaitMs, stallTimeoutMs, reconnectWindowMs, settleLimitMs};
    }
};

// The HW Firmware Update button: stops the camera's activities, starts the
// reprogramming of its boot flash and follows the erase and programming
// phases to their end; or, when a run is already in progress, follows it.
//
// A state machine: each step sends a command or starts its timer and
// returns; the reply, or the timer, moves the run on. It sends, pauses,
// reconnects and writes the log; what each reply of the camera means is the
// RunTracker's to say. A press while a run is being started (probe, stops,
// start) or closed is ignored; a press while the phases are followed takes
// the run over on its already-in-progress path (the log starts again with
// the banner), keeping what the camera reported so far.
class FirmwareRun : public QObject {
    Q_OBJECT
public:
    FirmwareRun(SessionIo io, BusyGate& gate, LineTransport& transport, Connector& connector,
                ConnectSequence& sequence, RunSettings settings);

    // Starts a run, or follows the one in progress, and returns at once:
    // nothing when a run is now under way (ended() tells how it ends); the
    // outcome when the press starts nothing: NotConnected (the operator is
    // told) or Ignored.
    std::optional<RunOutcome> RunFirmwareUpdate();

    // True from the probe of a run to its closing lines.
    bool Active() const { return m_stage != Stage::Idle; }

    // A programming run is in progress on the camera, as far as the tool
    // knows: set by the probe or the start of a run, cleared by the probe or
    // the end of a run. The busy gate holds it.
    bool UpdateRunning() const;
    // Asks the camera whether a run is in progress (nothing is asked while
    // the flag is set); done gets its reply as ProbeUpdateStatus tells it.
    void Probe(QObject* context, ProbeReply done);

    // The program stops following the camera: a run being started or
    // followed ends now, without a word to the camera; ended(Interrupted)
    // follows from the event loop.
    void Stop();

    // Counts the runs started or taken over; tells one from the next.
    quint64 RunId() const { return m_runId; }

signals:
    // The log was started with the banner: a run is being started, or
    // (alreadyRunning) one in progress is followed.
    void announced(bool alreadyRunning);
    // The start command was handed to the connection.
    void startSent();
    // A phase begins to be followed; it reached its end ("ok").
    void phaseStarted(kestrel::FlashPhase phase);
    void phaseEnded(kestrel::FlashPhase phase);
    // The figures of the phase after each status read.
    void figuresRead(kestrel::FlashPhase phase, int done, int total);
    // The connection was lost during the run and is being restored for up to
    // windowMs; then it was, to address.
    void reconnecting(int windowMs);
    void reconnected(const QString& address);
    // The run is over. message is what the operator was told, empty when
    // nothing was to be told; logText what the run wrote in the log at its
    // end (the closing lines of a finished run, or why it ended).
    void ended(kestrel::RunOutcome outcome, const QString& message, const QString& logText);

private:
    enum class Stage { Idle, Starting, Polling, Closing };

    // Runs step after ms, unless the run ends or is taken over meanwhile.
    void After(int ms, std::function<void()> step);
    // The reply handler of this run: dropped once the run ended or was taken
    // over.
    CommandChannel::Reply OfThisRun(std::function<void(const std::optional<QByteArray>&)> step);
    // The run of that number is the one going on: neither ended nor taken
    // over. Asking changes nothing; End ends runs.
    bool StillGoing(quint64 run) const { return run == m_runId && m_stage != Stage::Idle; }

    void Announce(bool takeOver, const QByteArray& probeReply);
    void Settle();
    void StopActivities(qsizetype next);
    void SendStart();
    void BeginFollowing();
    void BeginPhase(FlashPhase phase);
    void Poll();
    void OnPolled(const std::optional<QByteArray>& reply);
    void PhaseDone();
    void Reconnect();
    void TryToReconnect();
    void Reconnected();
    qint64 Now() const { return m_clock.elapsed(); }
    void ShowLog();
    void ShowWithStatus(const QString& line);
    void Finish();
    void EndOn(RunEnd end);
    void LostBeforeStart();
    // The run is over: the busy gate opens, nothing of it is waited for.
    void Quiet();
    // Ends the run: over (Quiet), its last words logged, ended() told.
    void End(RunOutcome outcome, const QString& logText, const QString& message);
    static QString Figures(const RunTracker& tracker);

    LogBook& m_log;
    SessionEvents& m_events;
    BusyGate& m_gate;
    LineTransport& m_transport;
    Connector& m_connector;
    ConnectSequence& m_sequence;
    RunSettings m_settings;
    QElapsedTimer m_clock;
    Stage m_stage = Stage::Idle;
    quint64 m_runId = 0;
    RunTracker m_tracker;
    FlashPhase m_phase = FlashPhase::Erase;
    QElapsedTimer m_sincePoll; // from the last status poll of the phase
    QTimer m_timer;            // the pause the run waits out, when it waits
    std::function<void()> m_afterPause;
    bool m_lossSeen = false;          // the connection was lost, not closed by the operator
    std::optional<KeepAwake> m_awake; // from the start of following to the end
};

} // namespace kestrel
