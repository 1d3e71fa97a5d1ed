#pragma once

#include "reply_reading.h"
#include "run_settings.h"

#include <QElapsedTimer>
#include <QObject>
#include <QString>

namespace kestrel {

struct DialogState;
class WindowSurface;
class CommandChannel;
class LineTransport;
class Connector;

// How a programming run ended.
enum class RunOutcome {
    NotConnected,   // refused: no camera connected
    Finished,       // the camera reported both phases to their end
    CameraStopped,  // the camera reported no run any more before the end
    NeverStarted,   // the camera never reported the run that was started
    Stalled,        // the camera's figures stopped changing
    ConnectionLost, // the connection was lost and could not be restored
    Disconnected,   // the operator disconnected during the run
    Superseded,     // a run entered during this one followed the camera to the end
};

// The HW Firmware Update button: stops the camera's activities, starts the
// reprogramming of its boot flash and follows the erase and programming
// phases to their end; or, when a run is already in progress, follows it.
class FirmwareRun : public QObject {
    Q_OBJECT
public:
    FirmwareRun(DialogState& state, WindowSurface& surface, CommandChannel& channel,
                LineTransport& transport, Connector& connector, RunSettings settings);

    enum class Phase { Erase, Program };

    RunOutcome RunFirmwareUpdate();

signals:
    // A phase begins to be followed.
    void phaseStarted(kestrel::FirmwareRun::Phase phase);
    // The figures of the phase after each status read.
    void figuresRead(kestrel::FirmwareRun::Phase phase, int done, int total);
    // The connection was lost during the run and is being restored; then it
    // was.
    void reconnecting();
    void reconnected();

private:
    enum class Step { PhaseDone, Ended };

    struct Run {
        quint64 epoch = 0;         // the run counter when this run began
        bool started = false;      // this run sent the start command
        bool progressSeen = false; // the camera reported a run since then
        QElapsedTimer sinceStart;
        QElapsedTimer sinceChange; // since the camera's figures last changed
        QByteArray lastReply;
        UpdateStatus status;
        RunOutcome outcome = RunOutcome::Finished;
    };

    Step FollowPhase(Run& run, Phase phase);
    bool HandleIdle(Run& run, Phase phase);
    bool Reconnect(Run& run);
    bool Superseded(const Run& run) const { return m_epoch != run.epoch; }
    void ShowLog();
    void End(Run& run, RunOutcome outcome, const QString& logText, const QString& message);
    static QString Figures(const UpdateStatus& status, Phase phase);

    DialogState& m_state;
    WindowSurface& m_surface;
    CommandChannel& m_channel;
    LineTransport& m_transport;
    Connector& m_connector;
    RunSettings m_settings;
    quint64 m_epoch = 0;     // counts the runs that have ended
    bool m_lossSeen = false; // the connection was lost, not closed by the operator
};

} // namespace kestrel
