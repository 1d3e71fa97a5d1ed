#pragma once

#include <QByteArray>
#include <QObject>
#include <QTimer>

class QTcpSocket;

namespace kestrel::sim {

// Puts bytes on a connection, either at once or one byte at a time with a
// fixed pause between bytes (a slow camera), and closes the connection once
// everything queued has gone out.
class PacedWriter : public QObject {
    Q_OBJECT

public:
    // byteIntervalMs 0: no pacing.
    PacedWriter(QTcpSocket& socket, int byteIntervalMs, QObject* parent = nullptr);

    void Write(const QByteArray& bytes);

    // Closes the connection after the bytes written so far; later writes are
    // dropped.
    void CloseWhenDone();

private:
    void SendNextByte();
    bool SocketOpen() const;

    QTcpSocket& socket_;
    QTimer timer_;
    QByteArray queue_;
    qsizetype queueStart_ = 0;
    bool closeRequested_ = false;
};

} // namespace kestrel::sim
