#include "line_client.h"

#include <QDeadlineTimer>
#include <QHostAddress>

namespace kestrel::sim::test {

LineClient::LineClient(quint16 port) {
    socket.connectToHost(QHostAddress(QHostAddress::LocalHost), port);
    socket.waitForConnected(kWaitMs);
}

bool LineClient::IsConnected() const {
    return socket.state() == QAbstractSocket::ConnectedState;
}

QByteArray LineClient::ReadLine(int timeoutMs) {
    const QDeadlineTimer deadline(timeoutMs);
    while (!socket.canReadLine()) {
        if (socket.state() != QAbstractSocket::ConnectedState || deadline.hasExpired() ||
            !socket.waitForReadyRead(static_cast<int>(deadline.remainingTime()))) {
            return socket.readAll();
        }
    }
    return socket.readLine();
}

QByteArray LineClient::Command(const QByteArray& command) {
    Send(command + "\r\n");
    return ReadLine();
}

QByteArray LineClient::Ask(const QByteArray& command) {
    QByteArray line = Command(command);
    if (line.endsWith("\r\n")) {
        line.chop(2);
    }
    return line;
}

void LineClient::Send(const QByteArray& bytes) {
    socket.write(bytes);
    socket.flush();
}

QByteArray LineClient::ReadUntilClosed(bool* closed, int timeoutMs) {
    const QDeadlineTimer deadline(timeoutMs);
    QByteArray bytes;
    while (socket.state() == QAbstractSocket::ConnectedState && !deadline.hasExpired()) {
        socket.waitForReadyRead(static_cast<int>(deadline.remainingTime()));
        bytes += socket.readAll();
    }
    bytes += socket.readAll();
    *closed = socket.state() != QAbstractSocket::ConnectedState;
    return bytes;
}

bool LineClient::SilentFor(int ms) {
    if (socket.bytesAvailable() > 0) {
        return false;
    }
    return !socket.waitForReadyRead(ms) && socket.bytesAvailable() == 0;
}

SimRig::SimRig(const SimOptions& options)
    : sim(options), started(sim.Start()), client(sim.Port()) {}

} // namespace kestrel::sim::test
