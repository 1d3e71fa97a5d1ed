#include "line_transport.h"

#include "call_later.h"

#include "link_texts.h"

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
    : QObject(parent), m_settings(settings), m_socket(new QTcpSocket(this)) {
    // One socket serves every connection, one after the other.
    connect(m_socket, &QTcpSocket::connected, this, &LineTransport::OnConnected);
    connect(m_socket, &QTcpSocket::errorOccurred, this, &LineTransport::OnSocketError);
    connect(m_socket, &QTcpSocket::readyRead, this, &LineTransport::OnReadyRead);
    connect(m_socket, &QTcpSocket::disconnected, this,
            [this] { Lose(texts::CameraClosedConnection()); });
    connect(&m_direct, &DirectConnect::connected, this, &LineTransport::OnDirectlyConnected);
    connect(&m_direct, &DirectConnect::refused, this,
            [this] { FailAttempt(texts::ConnectionRefused()); });
    connect(&m_direct, &DirectConnect::declined, this,
            [this] { m_socket->connectToHost(m_host, m_port); });
    m_replyTimer.setSingleShot(true);
    m_replyTimer.setTimerType(Qt::PreciseTimer);
    connect(&m_replyTimer, &QTimer::timeout, this, &LineTransport::OnReplyTimer);
    m_attemptTimer.setSingleShot(true);
    m_attemptTimer.setTimerType(Qt::PreciseTimer);
    connect(&m_attemptTimer, &QTimer::timeout, this, &LineTransport::OnAttemptTimeout);
}

LineTransport::~LineTransport() {
    Shut(false);
}

void LineTransport::Connect(const QString& host, quint16 port, QObject* context,
                            ConnectHandler done) {
    Shut(true);
    m_attempt = Attempt{context, std::move(done)};
    m_attemptTimer.start(m_settings.connectTimeoutMs);
    m_host = host;
    m_port = port;
    if (!m_direct.Start(host, port))
        m_socket->connectToHost(host, port);
}

void LineTransport::OnDirectlyConnected(qintptr descriptor) {
    if (!m_socket->setSocketDescriptor(descriptor)) {
        DirectConnect::Release(descriptor);
        m_socket->connectToHost(m_host, m_port);
        return;
    }
    OnConnected();
}

void LineTransport::OnConnected() {
    if (!m_attempt)
        return;
    m_attemptTimer.stop();
    m_open = true;
    ++m_generation;
    m_socket->setSocketOption(QAbstractSocket::LowDelayOption, 1);
    EndAttempt({true, QString()});
    emit opened();
}

void LineTransport::OnAttemptTimeout() {
    FailAttempt(texts::NoAnswerWithin(m_settings.connectTimeoutMs));
}

void LineTransport::OnSocketError() {
    if (m_open) {
        Lose(m_socket->error() == QAbstractSocket::RemoteHostClosedError
                 ? texts::CameraClosedConnection()
                 : m_socket->errorString());
        return;
    }
    if (m_socket->error() == QAbstractSocket::ConnectionRefusedError)
        FailAttempt(texts::ConnectionRefused());
    else if (m_socket->error() == QAbstractSocket::HostNotFoundError)
        FailAttempt(texts::HostNotFound());
    else
        FailAttempt(m_socket->errorString());
}

void LineTransport::FailAttempt(const QString& reason) {
    if (!m_attempt)
        return;
    std::optional<Attempt> attempt;
    attempt.swap(m_attempt);
    Shut(false);
    Hand(attempt->context, [done = std::move(attempt->done), reason] { done({false, reason}); });
}

void LineTransport::EndAttempt(const ConnectOutcome& outcome) {
    if (!m_attempt)
        return;
    Attempt attempt = std::move(*m_attempt);
    m_attempt.reset();
    Hand(attempt.context, [done = std::move(attempt.done), outcome] { done(outcome); });
}

void LineTransport::Exchange(const QByteArray& bytes, QObject* context, LineHandler done,
                             std::function<void()> written) {
    if (!m_open) {
        Hand(context, [done = std::move(done)] { done(std::nullopt); });
        return;
    }
    m_queue.push_back(Pending{bytes, context, std::move(done), std::move(written), false});
    if (m_queue.size() == 1)
        SendNext();
}

void LineTransport::SendNext() {
    while (m_open && !m_queue.empty() && !m_queue.front().out) {
        Pending& next = m_queue.front();
        next.out = true;
        if (!next.bytes.isEmpty()) {
            if (m_socket->write(next.bytes) != next.bytes.size()) {
                // A connection that takes no bytes is gone: every exchange
                // ends at once.
                Lose(texts::CouldNotSend(m_socket->errorString()));
                return;
            }
            m_socket->flush();
            if (next.written)
                next.written();
            emit sent(next.bytes);
        }
        if (m_unclaimed.empty()) {
            ArmReplyTimer();
            return;
        }
        // A line that came before anybody asked answers this exchange.
        const QByteArray line = std::move(m_unclaimed.front());
        m_unclaimed.pop_front();
        Answer(line);
    }
}

void LineTransport::Answer(const std::optional<QByteArray>& line) {
    Pending answered = std::move(m_queue.front());
    m_queue.pop_front();
    Hand(answered.context, [done = std::move(answered.done), line] { done(line); });
}

void LineTransport::Hand(const QPointer<QObject>& context, std::function<void()> call) {
    // Both the caller's context and the transport must still be there.
    CallLater(this, [context, hasContext = !context.isNull(), call = std::move(call)] {
        if (!hasContext || context)
            call();
    });
}

void LineTransport::Close() {
    Shut(true);
}

void LineTransport::OnReadyRead() {
    if (!m_open)
        return;
    const QByteArray bytes = m_socket->readAll();
    std::vector<std::string> lines;
    m_assembler.Feed(std::string_view(bytes.constData(), static_cast<std::size_t>(bytes.size())),
                     lines);
    for (std::string& text : lines) {
        if (!m_open)
            return;
        QByteArray line(text.data(), static_cast<qsizetype>(text.size()));
        emit lineReceived(line);
        if (!m_queue.empty() && m_queue.front().out) {
            Answer(line);
            SendNext();
        } else if (m_unclaimed.size() < kMaxUnclaimedLines) {
            m_unclaimed.push_back(std::move(line));
        } else {
            Lose(texts::TooManyLines());
            return;
        }
    }
    if (!lines.empty())
        ArmReplyTimer();
}

void LineTransport::Lose(const QString& reason) {
    if (!m_open)
        return;
    Shut(true);
    emit connectionLost(reason);
}

void LineTransport::Shut(bool tell) {
    m_open = false;
    m_replyTimer.stop();
    m_attemptTimer.stop();
    m_assembler.Reset();
    m_unclaimed.clear();
    std::deque<Pending> queue;
    queue.swap(m_queue);
    std::optional<Attempt> attempt;
    attempt.swap(m_attempt);
    // Whatever the socket still says of this connection is not listened to:
    // the flags above are down.
    m_direct.Cancel();
    m_socket->abort();
    if (!tell)
        return;
    if (attempt)
        Hand(attempt->context, [done = std::move(attempt->done)] {
            done({false, texts::AttemptCancelled()});
        });
    for (Pending& pending : queue)
        Hand(pending.context, [done = std::move(pending.done)] { done(std::nullopt); });
}

void LineTransport::ArmReplyTimer() {
    // The camera must send a line within the timeout for as long as an
    // exchange waits; every line it sends restarts the clock. The timer is
    // not restarted for each line: with many cameras that would be most of
    // the work.
    if (!Awaiting())
        return;
    m_replyDeadline = QDeadlineTimer(m_settings.replyTimeoutMs, Qt::PreciseTimer);
    if (!m_replyTimer.isActive())
        m_replyTimer.start(m_settings.replyTimeoutMs);
}

void LineTransport::OnReplyTimer() {
    if (!Awaiting())
        return;
    if (m_replyDeadline.hasExpired()) {
        Lose(texts::NoAnswerWithin(m_settings.replyTimeoutMs));
        return;
    }
    m_replyTimer.start(static_cast<int>(m_replyDeadline.remainingTime()));
}

} // namespace kestrel
