#pragma once

#include <QByteArray>
#include <QList>
#include <QObject>
#include <QTcpServer>
#include <QTcpSocket>

namespace kestrel::test {

// A bare TCP peer on 127.0.0.1, in the test's own thread, that records every
// byte it receives and sends back the replies a test gives it: for checking
// the exact bytes the tool puts on the wire.
class RawPeer : public QObject {
    Q_OBJECT
public:
    RawPeer();
    quint16 Port() const { return m_server.serverPort(); }

    // Sent as soon as a connection is accepted.
    QByteArray greeting = "HELLO\r\n";
    // Sent one after the other, one per line received; nothing once used up.
    QList<QByteArray> replies;

    // When set, a reply due goes out only when ReleaseReply() is called.
    bool holdReplies = false;
    void ReleaseReply();

    QByteArray received; // every byte, in order, over all connections
    int accepted = 0;

private:
    void ReplyDue(QTcpSocket* socket);

    QTcpServer m_server;
    QTcpSocket* m_last = nullptr;
    int m_due = 0;
};

} // namespace kestrel::test
