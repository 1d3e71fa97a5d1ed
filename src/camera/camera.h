#pragma once

#include "camera_identity.h"
#include "link_settings.h"
#include "run_outcome.h"
#include "run_settings.h"
#include "run_step.h"

#include <QByteArray>
#include <QObject>
#include <QString>

#include <functional>
#include <memory>

namespace kestrel {

struct SessionIo;
class LineTransport;
class CommandChannel;
class Connector;
class BusyGate;
class ConnectSequence;
class AfterConnectCheck;
class CameraInfoQuery;
class FirmwareRun;

// One camera as the tool talks to it. The window and the terminal program
// both work through its verbs and hear from it through its signals; how its
// parts (the connection, the busy gate, the information query, the
// programming run) fit together is its own business. Everything lives in the
// thread that builds it.
class Camera : public QObject {
    Q_OBJECT
public:
    // What Connect does with a run found in progress: only says so, or
    // follows it to its end once both panes are shown.
    enum class FoundRun { Report, Follow };

    Camera(SessionIo io, LinkSettings link, RunSettings run);
    ~Camera() override;
    Camera(const Camera&) = delete;
    Camera& operator=(const Camera&) = delete;

    // Connects to the camera at address ("0.0.0.0" is no address), reads its
    // greeting and asks whether it is programming, then for its information
    // unless it is; logs the connection line and shows both panes. A call
    // while an attempt is under way changes nothing.
    void Connect(const QString& address, FoundRun found);
    // Says goodbye (refused while a run is in progress) and closes the
    // connection.
    void Disconnect();
    // The tool considers itself connected.
    bool Connected() const;
    // The connection itself is open now.
    bool ConnectionOpen() const;
    // Connects again to the last address, attempt after attempt, pauseMs
    // apart, until connected or keepGoing() says to give up.
    bool ReconnectUntil(const std::function<bool()>& keepGoing, int pauseMs);
    // While the operator power-cycles the camera, its connections ending are
    // expected: the log does not call them lost.
    void ExpectPowerCycle(bool expected);

    // Asks the camera who it is and which firmware it runs, and shows it.
    void ReadIdentity();
    // The fields the last query found, and its information text.
    const CameraIdentity& Identity() const;
    const QString& Info() const;

    // The HW Firmware Update button: starts a run, or follows the run found
    // in progress.
    RunOutcome Update();
    // Follows the run in progress; starts nothing (Ignored without one).
    RunOutcome Watch();
    // A programming run is in progress on the camera, as far as the tool knows.
    bool UpdateRunning() const;
    // Asks the camera whether a run is in progress (nothing is asked while
    // one is known); its reply.
    QByteArray ProbeRun();
    // A run is being started, followed or closed.
    bool RunActive() const;

    // Stops following the camera: the run being followed ends at its next
    // step, every wait for the camera ends, and the connection is closed
    // without a word to the camera.
    void Stop();
    bool Stopped() const { return m_stopped; }

    // One command through the busy gate; its reply.
    QByteArray SendCommand(const QByteArray& command);

signals:
    // A connection could not be opened; message is what the operator was told.
    void connectFailed(const QString& message);
    // The connection is open, the first or a later one; it ended without the
    // tool asking, and why.
    void opened();
    void connectionLost(const QString& reason);
    // Connected: the connection line is written and both panes are shown; a
    // run found in progress is followed only after this.
    void connected();
    // A line as sent (with its line end), a line as received (without).
    void lineSent(const QByteArray& bytes);
    void lineReceived(const QByteArray& line);
    // The programming run's events (FirmwareRun).
    void phaseStarted(kestrel::FlashPhase phase);
    void figuresRead(kestrel::FlashPhase phase, int done, int total);
    void reconnecting();
    void reconnected();
    void runEnded(kestrel::RunOutcome outcome, const QString& message);

private:
    std::unique_ptr<LineTransport> m_transport;
    std::unique_ptr<CommandChannel> m_channel;
    std::unique_ptr<Connector> m_connector;
    std::unique_ptr<BusyGate> m_gate;
    std::unique_ptr<ConnectSequence> m_sequence;
    std::unique_ptr<CameraInfoQuery> m_info;
    std::unique_ptr<FirmwareRun> m_run;
    std::unique_ptr<AfterConnectCheck> m_check;
    bool m_stopped = false;
};

} // namespace kestrel
