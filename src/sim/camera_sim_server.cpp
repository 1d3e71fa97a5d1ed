#include "camera_sim_server.h"

#include "sim_session.h"

#include <QTcpSocket>

namespace kestrel::sim {

CameraSimServer::CameraSimServer(SimOptions options, QObject* parent)
    : QObject(parent), options_(std::move(options)), server_(this), keeper_(this),
      camera_(options_, this),
      powerCycle_(
          options_, camera_, [this] { SwitchOff(); }, [this] { return SwitchOn(); }, this) {
    connect(&server_, &QTcpServer::newConnection, this, &CameraSimServer::AcceptConnections);
    connect(&camera_, &CameraState::RunPhaseChanged, this, &CameraSimServer::RunPhaseChanged);
    connect(&powerCycle_, &PowerCycle::Changed, this, &CameraSimServer::PowerChanged);
    connect(&powerCycle_, &PowerCycle::Trouble, this,
            [this](const QString& text) { emit Note(0, text); });
}

CameraSimServer::~CameraSimServer() {
    server_.close();
    // Sessions use the camera state and the options: they go first.
    const QList<SimSession*> sessions = findChildren<SimSession*>(Qt::FindDirectChildrenOnly);
    for (SimSession* session : sessions) {
        session->disconnect(this);
        delete session;
    }
}

bool CameraSimServer::Listen(const QHostAddress& address, quint16 port) {
    if (!server_.listen(address, port)) {
        return false;
    }
    address_ = address;
    port_ = server_.serverPort();
    if (options_.runInProgress && !listenedBefore_) {
        camera_.StartRun(true);
    }
    listenedBefore_ = true;
    return true;
}

void CameraSimServer::Close() {
    server_.close();
}

quint16 CameraSimServer::Port() const {
    return port_;
}

QString CameraSimServer::ErrorString() const {
    return server_.errorString();
}

void CameraSimServer::AcceptConnections() {
    while (QTcpSocket* socket = server_.nextPendingConnection()) {
        const int number = ++connectionsAccepted_;
        auto* session = new SimSession(number, socket, options_, camera_, this);
        connect(session, &SimSession::LineReceived, this, &CameraSimServer::LineReceived);
        connect(session, &SimSession::BytesSent, this, &CameraSimServer::BytesSent);
        connect(session, &SimSession::Note, this, &CameraSimServer::Note);
        connect(session, &SimSession::Ended, this, &CameraSimServer::ConnectionClosed);
        const QString peer = socket->peerAddress().toString() + QLatin1Char(':') +
                             QString::number(socket->peerPort());
        emit ConnectionOpened(number, peer);
        session->Start();
    }
}

void CameraSimServer::SwitchOff() {
    // The listener goes first, so that a peer that sees its connection reset
    // finds new ones refused. The port stays bound without a listener: a
    // connection to it is refused, and the system gives it to no other
    // socket that asks for any free port.
    server_.close();
    keeper_.bind(address_, port_, QAbstractSocket::ReuseAddressHint);
    const QList<SimSession*> sessions = findChildren<SimSession*>(Qt::FindDirectChildrenOnly);
    for (SimSession* session : sessions) {
        session->Drop();
    }
}

QString CameraSimServer::SwitchOn() {
    keeper_.close();
    if (server_.listen(address_, port_)) {
        return QString();
    }
    keeper_.bind(address_, port_, QAbstractSocket::ReuseAddressHint);
    return QStringLiteral("cannot listen again on %1 port %2: %3")
        .arg(address_.toString())
        .arg(port_)
        .arg(server_.errorString());
}

} // namespace kestrel::sim
