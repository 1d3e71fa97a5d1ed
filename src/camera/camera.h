#pragma once

#include "camera_info_query.h"
#include "firmware_run.h"
#include "link_settings.h"
#include "run_outcome.h"
#include "run_tracker.h"

#include <QByteArray>
#include <QObject>
#include <QString>

#include <functional>
#include <memory>
#include <optional>

namespace kestrel {

class LogBook;
class SessionEvents;
class LineTransport;
class CommandChannel;
class Connector;
class BusyGate;
class ConnectSequence;
class AfterConnectCheck;

// One camera as the tool talks to it, and the one place that puts its parts
// together (the connection, the busy gate, the information query, the
// programming run). The window, the terminal program, the search for cameras
// and the tests all work through its verbs and hear from it through its
// signals. Each verb starts an operation and returns at once; the operation
// moves on as the camera answers and its timers run out, and tells its end
// by a signal, always from the event loop (never from inside the verb).
// Everything lives in the thread that builds it.
class Camera : public QObject {
    Q_OBJECT
public:
    // What Connect does with a run found in progress: only says so, or
    // follows it to its end once both panes are shown.
    enum class FoundRun { Report, Follow };
    using Reply = std::function<void(const std::optional<QByteArray>& reply)>;

    Camera(LogBook& log, SessionEvents& events, LinkSettings link, RunSettings run);
    ~Camera() override;
    Camera(const Camera&) = delete;
    Camera& operator=(const Camera&) = delete;

    // Connects to the camera at address:port ("0.0.0.0" is no address),
    // reads its greeting and asks whether it is programming, then for its
    // information unless it is; logs the connection line and shows both
    // panes (connected()). connectEnded() tells the end of the look. A call
    // while an attempt is under way changes nothing.
    void Connect(const QString& address, quint16 port, FoundRun found);
    // For a short look at whatever answers at address:port, taken for a
    // camera never seen before (nothing is assumed of a run): connects and
    // reads the greeting, nothing more; openEnded() tells how it went.
    void Open(const QString& address, quint16 port);
    // Says goodbye (refused while a run is in progress) and closes the
    // connection; disconnected() once closed.
    void Disconnect();
    // Closes the connection without a word to whoever answered (nothing is
    // waited for, a goodbye under way included); disconnected() once closed.
    void Drop();
    // The tool considers itself connected.
    bool Connected() const;
    // The connection itself is open now.
    bool ConnectionOpen() const;
    // One attempt to connect again to the last address (the log and the
    // panes are left alone); reconnectEnded() tells how it went.
    void Reconnect();
    // The address of the last connection.
    QString Address() const;
    // While the operator power-cycles the camera, its connections ending are
    // expected: the log does not call them lost.
    void ExpectPowerCycle(bool expected);

    // Asks the camera who it is and which firmware it runs, and shows it;
    // identityRead() once done.
    void ReadIdentity();
    // The fields the last query found, its information text, and the
    // camera's number in the connection line (its serial number when read).
    const CameraIdentity& Identity() const;
    const QString& Info() const;
    const QString& CameraNumber() const;

    // The HW Firmware Update button: starts a run, or follows (or takes
    // over) the run in progress. Nothing when a run is now under way
    // (runEnded() tells its end); the outcome when the press starts nothing:
    // NotConnected (the operator is told) or Ignored.
    std::optional<RunOutcome> Update();
    // Follows the run in progress; starts nothing (Ignored without one).
    std::optional<RunOutcome> Watch();
    // A programming run is in progress on the camera, as far as the tool knows.
    bool UpdateRunning() const;
    // Asks the camera whether a run is in progress (nothing is asked while
    // one is known); runProbed() gives its reply.
    void ProbeRun();
    // A run is being started, followed or closed.
    bool RunActive() const;
    // Some operation is under way: connecting, looking at the camera, a run,
    // reading the information again after a run found, or disconnecting.
    bool Busy() const;

    // Stops following the camera: a run being started or followed ends now
    // (runEnded(Interrupted)), the exchanges waiting get no reply, and the
    // connection is closed without a word to the camera.
    void Stop();
    bool Stopped() const { return m_stopped; }

    // One command through the busy gate; its reply to done, while context
    // lives ("occuped" when the gate refuses it, nothing without a reply).
    void SendCommand(const QByteArray& command, QObject* context, Reply done);

    // The log's words for connected() and connectionDropped(), as the
    // window's log has them.
    static QString ConnectionLine(const QString& cameraNumber, const QString& address);
    static QString LossLine(const QString& reason);

signals:
    // A connection could not be opened; message is what the operator was told.
    void connectFailed(const QString& message);
    // The connection is open, the first or a later one; it ended without the
    // tool asking, and why.
    void opened();
    void connectionLost(const QString& reason);
    // The connection ended while the tool counted itself connected, without
    // the operator asking, and not while a power cycle was expected: the log
    // says so.
    void connectionDropped(const QString& reason);
    // Connected: the connection line is written and both panes are shown; a
    // run found in progress is followed only after this.
    void connected();
    // The end of Connect's look at the camera: connected, or not (refused,
    // failed, or the connection ended meanwhile).
    void connectEnded(bool connected);
    // The end of Open, Reconnect and Disconnect.
    void openEnded(bool open);
    void reconnectEnded(bool connected);
    void disconnected();
    // The information was read (Identity() and Info() hold it): asked for,
    // or read again after a run found on connecting.
    void identityRead();
    // The reply to ProbeRun; answered false without a reply.
    void runProbed(const QByteArray& reply, bool answered);
    // A line as sent (with its line end), a line as received (without).
    void lineSent(const QByteArray& bytes);
    void lineReceived(const QByteArray& line);
    // The programming run's events (see FirmwareRun).
    void announced(bool alreadyRunning);
    void startSent();
    void phaseStarted(kestrel::FlashPhase phase);
    void phaseEnded(kestrel::FlashPhase phase);
    void figuresRead(kestrel::FlashPhase phase, int done, int total);
    void reconnecting(int windowMs);
    void reconnected(const QString& address);
    void runEnded(kestrel::RunOutcome outcome, const QString& message, const QString& logText);

private:
    void Later(std::function<void()> call);

    std::unique_ptr<LineTransport> m_transport;
    std::unique_ptr<CommandChannel> m_channel;
    std::unique_ptr<Connector> m_connector;
    std::unique_ptr<BusyGate> m_gate;
    std::unique_ptr<ConnectSequence> m_sequence;
    std::unique_ptr<CameraInfoQuery> m_info;
    std::unique_ptr<FirmwareRun> m_run;
    std::unique_ptr<AfterConnectCheck> m_check;
    bool m_looking = false; // Connect looks at the camera
    bool m_stopped = false;
};

} // namespace kestrel
