#include "sim_session.h"

#include "command_replies.h"
#include "connection_reset.h"

#include <QRandomGenerator>
#include <QTcpSocket>

namespace kestrel::sim {

namespace {

QByteArray RandomGarbage() {
    QRandomGenerator* random = QRandomGenerator::global();
    const int length = random->bounded(12, 41);
    QByteArray garbage(length, ' ');
    for (char& c : garbage) {
        c = static_cast<char>(random->bounded(0x21, 0x7f)); // '!' to '~'
    }
    return garbage;
}

} // namespace

SimSession::SimSession(int number, QTcpSocket* socket, const SimOptions& options,
                       CameraState& camera, QObject* parent)
    : QObject(parent), number_(number), socket_(socket), options_(options), camera_(camera),
      writer_(*socket, options.slowBytesMs, this) {
    socket_->setParent(this);
    connect(socket_, &QTcpSocket::readyRead, this, &SimSession::ReadLines);
    connect(socket_, &QTcpSocket::disconnected, this, &SimSession::End);
    connect(socket_, &QTcpSocket::errorOccurred, this, [this](QAbstractSocket::SocketError error) {
        if (error != QAbstractSocket::RemoteHostClosedError) {
            emit Note(number_, QStringLiteral("socket error: %1").arg(socket_->errorString()));
        }
        if (socket_->state() == QAbstractSocket::UnconnectedState) {
            End();
        }
    });
}

SimSession::~SimSession() {
    // The socket goes first, while the writer it serves still exists, and
    // without reporting to a session that is going away.
    socket_->disconnect(this);
    delete socket_;
}

void SimSession::Start() {
    if (!options_.noGreeting) {
        Send(options_.greeting + LineEnd());
    }
    ReadLines(); // bytes that came before the session was ready
}

void SimSession::Drop() {
    if (ended_) {
        return;
    }
    ResetConnection(*socket_);
    End(); // in case the socket said nothing
}

void SimSession::ReadLines() {
    pending_.append(socket_->readAll());
    while (!closing_) {
        const qsizetype lf = pending_.indexOf('\n');
        if (lf < 0) {
            if (pending_.size() > kMaxCommandBytes && !skippingRestOfLine_) {
                HandleLine(pending_.left(kMaxCommandBytes), true);
                skippingRestOfLine_ = true;
            }
            if (skippingRestOfLine_) {
                pending_.clear();
            }
            break;
        }
        QByteArray line = pending_.left(lf);
        pending_.remove(0, lf + 1);
        if (skippingRestOfLine_) {
            skippingRestOfLine_ = false;
            continue;
        }
        if (line.endsWith('\r')) {
            line.chop(1);
        }
        if (line.size() > kMaxCommandBytes) {
            HandleLine(line.left(kMaxCommandBytes), true);
        } else {
            HandleLine(line, false);
        }
    }
    if (closing_) {
        pending_.clear();
    }
}

void SimSession::HandleLine(const QByteArray& line, bool tooLong) {
    const int command = ++commands_;
    emit LineReceived(number_, line);
    if (options_.closeAfter && command > *options_.closeAfter) {
        Close(
            QStringLiteral("closing without an answer (close-after %1)").arg(*options_.closeAfter));
        return;
    }
    if (options_.stopAnsweringAfter && command > *options_.stopAnsweringAfter) {
        emit Note(number_, QStringLiteral("no answer (stop-answering-after %1)")
                               .arg(*options_.stopAnsweringAfter));
        return;
    }
    const QByteArray reply = ReplyFor(line, tooLong, command);
    if (options_.closeMidReplyAt == command) {
        Send(reply.left(reply.size() / 2));
        Close(
            QStringLiteral("closing in the middle of the reply (close-mid-reply %1)").arg(command));
        return;
    }
    Send(reply + LineEnd());
}

QByteArray SimSession::ReplyFor(const QByteArray& line, bool tooLong, int command) {
    if (tooLong) {
        return QByteArrayLiteral("ERROR line too long");
    }
    QByteArray reply = ReplyTo(line, options_, camera_);
    if (const FixedReply* fixed = FindFixedReply(line, options_)) {
        reply = fixed->text;
    }
    if (options_.garbageAt == command) {
        reply = RandomGarbage();
    }
    if (options_.overlongAt == command) {
        reply = QByteArray(options_.overlongLength, 'X');
    }
    return reply;
}

void SimSession::Send(const QByteArray& bytes) {
    emit BytesSent(number_, bytes);
    writer_.Write(bytes);
}

void SimSession::Close(const QString& why) {
    closing_ = true;
    emit Note(number_, why);
    writer_.CloseWhenDone();
}

void SimSession::End() {
    if (ended_) {
        return;
    }
    ended_ = true;
    closing_ = true;
    emit Ended(number_);
    deleteLater();
}

QByteArray SimSession::LineEnd() const {
    return options_.bareLf ? QByteArrayLiteral("\n") : QByteArrayLiteral("\r\n");
}

} // namespace kestrel::sim
