#include "raw_peer.h"

namespace kestrel::test {

RawPeer::RawPeer() {
    m_server.listen(QHostAddress::LocalHost, 0);
    connect(&m_server, &QTcpServer::newConnection, this, [this] {
        while (QTcpSocket* socket = m_server.nextPendingConnection()) {
            ++accepted;
            socket->setParent(this);
            socket->write(greeting);
            connect(socket, &QTcpSocket::readyRead, this, [this, socket] {
                const QByteArray bytes = socket->readAll();
                received += bytes;
                for (char c : bytes) {
                    if (c == '\n')
                        ReplyDue(socket);
                }
            });
        }
    });
}

void RawPeer::ReplyDue(QTcpSocket* socket) {
    m_last = socket;
    ++m_due;
    if (!holdReplies)
        ReleaseReply();
}

void RawPeer::ReleaseReply() {
    if (m_due == 0 || !m_last || replies.isEmpty())
        return;
    --m_due;
    m_last->write(replies.takeFirst());
}

} // namespace kestrel::test
