#pragma once

#include "camera_state.h"
#include "power_cycle.h"
#include "sim_options.h"

#include <QByteArray>
#include <QHostAddress>
#include <QObject>
#include <QString>
#include <QTcpServer>
#include <QTcpSocket>

namespace kestrel::sim {

// The simulated camera's command server. It accepts any number of
// connections, each a session with its own fault counters; the camera state
// (the firmware version, a programming run) is one for all of them. With
// --power-cycle-after the camera goes off after a finished run: every
// connection is reset, new ones are refused, and later it listens again on
// the same address and port, which it keeps bound meanwhile so that nothing
// on the machine is handed that port by the system. The signals tell everything that happens, for a
// log or a test.
class CameraSimServer : public QObject {
    Q_OBJECT

public:
    explicit CameraSimServer(SimOptions options, QObject* parent = nullptr);
    ~CameraSimServer() override;

    // Starts listening; port 0 takes any free port. With --run-in-progress
    // the run starts here. False, with ErrorString(), when it cannot listen.
    bool Listen(const QHostAddress& address, quint16 port);
    // Stops listening, for a listen that is given up; a run started stays.
    void Close();
    // The port listened on, also while a power cycle has the camera off.
    quint16 Port() const;
    // How often the camera has tried to come back on since it went off last.
    int PowerOnAttempts() const { return powerCycle_.Attempts(); }
    QString ErrorString() const;

signals:
    // Connections are numbered from 1 in the order they were accepted.
    void ConnectionOpened(int connection, const QString& peer);
    void ConnectionClosed(int connection);
    // A command line, without its line end, as its bytes came.
    void LineReceived(int connection, const QByteArray& line);
    // Bytes handed to the connection: a greeting or reply with its line end,
    // or the part of a reply sent before closing.
    void BytesSent(int connection, const QByteArray& bytes);
    // Something a log should show: a fault taking effect, a socket error;
    // connection 0 for the camera as a whole.
    void Note(int connection, const QString& text);
    void RunPhaseChanged(const QString& text);
    // A power cycle switched the camera off or on; text says which.
    void PowerChanged(const QString& text);

private:
    void AcceptConnections();
    void SwitchOff();
    QString SwitchOn();

    const SimOptions options_;
    QTcpServer server_;
    QTcpSocket keeper_; // bound, not listening, while the camera is off
    CameraState camera_;
    PowerCycle powerCycle_;
    QHostAddress address_;
    quint16 port_ = 0;
    int connectionsAccepted_ = 0;
    bool listenedBefore_ = false;
};

} // namespace kestrel::sim
