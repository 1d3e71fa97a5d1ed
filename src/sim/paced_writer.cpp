#include "paced_writer.h"

#include <QTcpSocket>

namespace kestrel::sim {

PacedWriter::PacedWriter(QTcpSocket& socket, int byteIntervalMs, QObject* parent)
    : QObject(parent), socket_(socket), timer_(this) {
    timer_.setInterval(byteIntervalMs);
    timer_.setTimerType(Qt::PreciseTimer);
    connect(&timer_, &QTimer::timeout, this, &PacedWriter::SendNextByte);
}

void PacedWriter::Write(const QByteArray& bytes) {
    if (closeRequested_ || !SocketOpen() || bytes.isEmpty()) {
        return;
    }
    if (timer_.interval() <= 0) {
        socket_.write(bytes);
        return;
    }
    queue_.append(bytes);
    // A pause already under way keeps its rhythm; otherwise the first byte
    // goes out now.
    if (!timer_.isActive()) {
        SendNextByte();
        timer_.start();
    }
}

void PacedWriter::CloseWhenDone() {
    if (closeRequested_) {
        return;
    }
    closeRequested_ = true;
    if (queueStart_ >= queue_.size() && SocketOpen()) {
        socket_.disconnectFromHost();
    }
}

void PacedWriter::SendNextByte() {
    if (queueStart_ >= queue_.size()) {
        // A whole pause has passed since the last byte: the next write may
        // start at once.
        timer_.stop();
        queue_.clear();
        queueStart_ = 0;
        return;
    }
    if (SocketOpen()) {
        socket_.write(queue_.constData() + queueStart_, 1);
    }
    ++queueStart_;
    if (queueStart_ >= queue_.size() && closeRequested_) {
        timer_.stop();
        queue_.clear();
        queueStart_ = 0;
        if (SocketOpen()) {
            socket_.disconnectFromHost();
        }
    }
}

bool PacedWriter::SocketOpen() const {
    return socket_.state() == QAbstractSocket::ConnectedState;
}

} // namespace kestrel::sim
