#include "line_transport.h"

#include "link_texts.h"

#include <QEventLoop>
#include <QTcpSocket>

#include <string>
#include <vector>

namespace kestrel {

namespace {
// More unasked-for lines than this means the camera is not speaking the
// protocol; the connection is dropped rather than buffering without end.
constexpr std::size_t kMaxUnclaimedLines = 256;
} // namespace

LineTransport::LineTransport(LinkSettings settings, QObject* parent)
    : QObject(parent), m_settings(settings) {
    m_replyTimer.setSingleShot(true);
    m_replyTimer.setTimerType(Qt::PreciseTimer);
    connect(&m_replyTimer, &QTimer::timeout, this,
            [this] { Lose(texts::NoAnswerWithin(m_settings.replyTimeoutMs)); });
}

LineTransport::~LineTransport() {
    Shut();
}

LineTransport::ConnectOutcome LineTransport::Connect(const QString& host, quint16 port) {
    Shut();
    auto* socket = new QTcpSocket(this);
    m_socket = socket;
    bool finished = false;
    bool timedOut = false;
    QTimer deadline;
    deadline.setSingleShot(true);
    deadline.setTimerType(Qt::PreciseTimer);
    connect(&deadline, &QTimer::timeout, this, [&] {
        timedOut = finished = true;
        WakeWaiters();
    });
    connect(socket, &QTcpSocket::connected, this, [&] {
        finished = true;
        WakeWaiters();
    });
    connect(socket, &QTcpSocket::errorOccurred, this, [&] {
        finished = true;
        WakeWaiters();
    });
    deadline.start(m_settings.connectTimeoutMs);
    socket->connectToHost(host, port);
    WaitUntil([&] { return finished || m_socket != socket; });

    ConnectOutcome outcome;
    if (m_socket != socket) { // closed while the attempt was under way; the socket is gone
        outcome.reason = texts::AttemptCancelled();
        return outcome;
    }
    socket->disconnect(this);
    if (!timedOut && socket->state() == QAbstractSocket::ConnectedState) {
        outcome.connected = true;
        m_open = true;
        ++m_generation;
        socket->setSocketOption(QAbstractSocket::LowDelayOption, 1);
        connect(socket, &QTcpSocket::readyRead, this, &LineTransport::OnReadyRead);
        connect(socket, &QTcpSocket::errorOccurred, this, &LineTransport::OnSocketError);
        connect(socket, &QTcpSocket::disconnected, this,
                [this] { Lose(texts::CameraClosedConnection()); });
        emit opened();
        return outcome;
    }
    if (timedOut)
        outcome.reason = texts::NoAnswerWithin(m_settings.connectTimeoutMs);
    else if (socket->error() == QAbstractSocket::ConnectionRefusedError)
        outcome.reason = texts::ConnectionRefused();
    else if (socket->error() == QAbstractSocket::HostNotFoundError)
        outcome.reason = texts::HostNotFound();
    else
        outcome.reason = socket->errorString();
    Shut();
    return outcome;
}

bool LineTransport::Write(const QByteArray& bytes) {
    if (!m_open)
        return false;
    const qint64 written = m_socket->write(bytes);
    if (written != bytes.size()) {
        // A connection that refuses a command is not waited on for its reply.
        Lose(texts::CouldNotSend(m_socket->errorString()));
        return false;
    }
    m_socket->flush();
    emit sent(bytes);
    return true;
}

std::optional<QByteArray> LineTransport::ReadLine() {
    if (!m_unclaimed.empty()) {
        QByteArray line = std::move(m_unclaimed.front());
        m_unclaimed.pop_front();
        return line;
    }
    if (!m_open)
        return std::nullopt;
    auto claim = std::make_shared<Claim>();
    m_claims.push_back(claim);
    ArmReplyTimer();
    WaitUntil([&] { return claim->done; });
    return claim->line;
}

void LineTransport::WaitUntilAnswered() {
    if (m_claims.empty())
        return;
    const std::shared_ptr<Claim> last = m_claims.back();
    WaitUntil([&] { return last->done; });
}

void LineTransport::Close() {
    Shut();
    WakeWaiters();
}

void LineTransport::WaitUntil(const std::function<bool()>& condition) {
    while (!condition()) {
        QEventLoop loop;
        m_loops.append(&loop);
        loop.exec();
        m_loops.removeOne(&loop);
    }
}

void LineTransport::WakeWaiters() {
    for (QEventLoop* loop : std::as_const(m_loops))
        loop->quit();
}

void LineTransport::OnReadyRead() {
    const QByteArray bytes = m_socket->readAll();
    std::vector<std::string> lines;
    m_assembler.Feed(std::string_view(bytes.constData(), static_cast<std::size_t>(bytes.size())),
                     lines);
    for (std::string& text : lines) {
        QByteArray line(text.data(), static_cast<qsizetype>(text.size()));
        emit lineReceived(line);
        if (!m_claims.empty()) {
            m_claims.front()->line = std::move(line);
            m_claims.front()->done = true;
            m_claims.pop_front();
        } else if (m_unclaimed.size() < kMaxUnclaimedLines) {
            m_unclaimed.push_back(std::move(line));
        } else {
            Lose(texts::TooManyLines());
            return;
        }
    }
    if (!lines.empty()) {
        ArmReplyTimer();
        WakeWaiters();
    }
}

void LineTransport::OnSocketError() {
    if (m_socket->error() == QAbstractSocket::RemoteHostClosedError)
        Lose(texts::CameraClosedConnection());
    else
        Lose(m_socket->errorString());
}

void LineTransport::Lose(const QString& reason) {
    if (!m_open)
        return;
    Shut();
    WakeWaiters();
    emit connectionLost(reason);
}

void LineTransport::Shut() {
    m_open = false;
    m_replyTimer.stop();
    m_assembler.Reset();
    m_unclaimed.clear();
    for (const std::shared_ptr<Claim>& claim : m_claims)
        claim->done = true; // with no line: the connection is gone
    m_claims.clear();
    if (m_socket) {
        m_socket->disconnect(this);
        m_socket->abort();
        m_socket->deleteLater();
        m_socket = nullptr;
    }
}

void LineTransport::ArmReplyTimer() {
    // The camera must send a line within the timeout for as long as a reader
    // waits; every line it sends restarts the clock.
    if (m_claims.empty())
        m_replyTimer.stop();
    else
        m_replyTimer.start(m_settings.replyTimeoutMs);
}

} // namespace kestrel
