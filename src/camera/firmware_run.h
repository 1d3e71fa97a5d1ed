#pragma once

#include "keep_awake.h"
#include "run_outcome.h"
#include "run_settings.h"
#include "run_tracker.h"

#include <QElapsedTimer>
#include <QObject>
#include <QString>

#include <optional>

namespace kestrel {

class LogBook;
class SessionEvents;
class OperatorInput;
struct SessionIo;
class BusyGate;
class LineTransport;
class Connector;
class ConnectSequence;

// The HW Firmware Update button: stops the camera's activities, starts the
// reprogramming of its boot flash and follows the erase and programming
// phases to their end; or, when a run is already in progress, follows it.
//
// It sends, waits, reconnects and writes the log; what each reply of the
// camera means is the RunTracker's to say. Entered again while it waits: a
// press while a run is being started (probe, stops, start) or closed is
// ignored; a press while the phases are followed takes over the run on its
// already-in-progress path, and the call it interrupted returns without
// writing anything more.
class FirmwareRun : public QObject {
    Q_OBJECT
public:
    FirmwareRun(SessionIo io, BusyGate& gate, LineTransport& transport, Connector& connector,
                ConnectSequence& sequence, RunSettings settings);

    RunOutcome RunFirmwareUpdate();

    // True from the probe of a run to its closing lines.
    bool Active() const { return m_stage != Stage::Idle; }

    // A programming run is in progress on the camera, as far as the tool
    // knows: set by the probe or the start of a run, cleared by the probe or
    // the end of a run. The busy gate holds it.
    bool UpdateRunning() const;
    // Asks the camera whether a run is in progress (nothing is asked while
    // the flag is set); returns its reply.
    QByteArray Probe();

    // The program stops following the camera: the run being followed ends at
    // its next step without a word (the camera is not told anything).
    void Stop() { m_stopRequested = true; }

signals:
    // A phase begins to be followed.
    void phaseStarted(kestrel::FlashPhase phase);
    // The figures of the phase after each status read.
    void figuresRead(kestrel::FlashPhase phase, int done, int total);
    // The connection was lost during the run and is being restored; then it
    // was.
    void reconnecting();
    void reconnected();
    // The run is over; message is what the operator was told, empty when
    // nothing was to be told.
    void ended(kestrel::RunOutcome outcome, const QString& message);

private:
    enum class Stage { Idle, Starting, Polling, Closing };
    enum class Step { PhaseDone, Finished, Ended };

    struct Run {
        quint64 epoch = 0; // the run counter when this run began
        RunTracker tracker;
        RunOutcome outcome = RunOutcome::Finished;
    };

    bool Start(Run& run, const QByteArray& probeReply);
    bool Settle(Run& run, const QByteArray& probeReply);
    Step FollowPhase(Run& run, FlashPhase phase);
    bool Reconnect(Run& run);
    bool Pause(Run& run, int ms);
    bool Current(Run& run);
    qint64 Now() const { return m_clock.elapsed(); }
    void ShowLog();
    void ShowWithStatus(const QString& line);
    void Finish(Run& run);
    void EndOn(Run& run, RunEnd end);
    void End(Run& run, RunOutcome outcome, const QString& logText, const QString& message);
    static QString Figures(const RunTracker& tracker);

    LogBook& m_log;
    SessionEvents& m_events;
    OperatorInput& m_input;
    BusyGate& m_gate;
    LineTransport& m_transport;
    Connector& m_connector;
    ConnectSequence& m_sequence;
    RunSettings m_settings;
    QElapsedTimer m_clock;
    Stage m_stage = Stage::Idle;
    Run* m_active = nullptr; // the run whose phases are followed now
    quint64 m_epoch = 0;     // counts the runs that have ended
    bool m_lossSeen = false; // the connection was lost, not closed by the operator
    bool m_stopRequested = false;
    std::optional<KeepAwake> m_awake; // from the start of following to the end
};

} // namespace kestrel
