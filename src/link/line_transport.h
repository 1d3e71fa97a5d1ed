#pragma once

#include "direct_connect.h"
#include "line_assembler.h"
#include "link_settings.h"

#include <QByteArray>
#include <QDeadlineTimer>
#include <QObject>
#include <QPointer>
#include <QString>
#include <QTimer>

#include <deque>
#include <functional>
#include <optional>

class QTcpSocket;

namespace kestrel {

// The TCP connection to the camera, carrying lines. It is driven by the
// socket's signals and two timers, and nothing in it waits: an attempt to
// connect and every exchange end later, with their outcome handed to the
// handler the caller gave.
//
// An exchange is a line out and the next line back. Exchanges go out one
// after the other, each once the one before has its line, so that commands
// never interleave however many callers ask at once. Outcomes are handed
// over from the event loop, never from inside the call that asked nor from
// inside one of the socket's signals, and only while the context object the
// caller named still lives.
class LineTransport : public QObject {
    Q_OBJECT
public:
    struct ConnectOutcome {
        bool connected = false;
        QString reason; // why not, in words for the operator
    };
    using ConnectHandler = std::function<void(const ConnectOutcome& outcome)>;
    // The line that came back (without its line end), or nothing: the
    // connection was not open or ended, a write failed, or the camera stayed
    // silent for the reply timeout (which counts as a lost connection).
    using LineHandler = std::function<void(const std::optional<QByteArray>& line)>;

    explicit LineTransport(LinkSettings settings, QObject* parent = nullptr);
    ~LineTransport() override;

    // Opens a connection, closing the one before. done is told how it went:
    // connected, refused, unreachable, no answer within the connect timeout,
    // or cancelled by Close() or another Connect.
    void Connect(const QString& host, quint16 port, QObject* context, ConnectHandler done);
    bool Connecting() const { return m_attempt.has_value(); }

    bool IsOpen() const { return m_open; }

    // Counts the connections opened so far; tells one connection from the next.
    quint64 Generation() const { return m_generation; }

    // Queues an exchange: bytes go out (when there are any) once every
    // exchange queued before has its line, then the next line that nobody
    // has taken goes to done. written, when given, is called as the bytes
    // are handed to the socket.
    void Exchange(const QByteArray& bytes, QObject* context, LineHandler done,
                  std::function<void()> written = {});

    // Closes the connection at the tool's wish: no loss is reported; an
    // attempt under way is cancelled and the exchanges waiting get no line.
    void Close();

signals:
    // The connection ended without the tool asking: the camera closed it, a
    // socket error, a failed write or a reply timeout. Emitted once per
    // connection.
    void connectionLost(const QString& reason);
    // A connection is open, the first or a later one.
    void opened();
    // Bytes were handed to the connection, as given to Exchange.
    void sent(const QByteArray& bytes);
    // A line came from the camera, as read (without its line end).
    void lineReceived(const QByteArray& line);

private:
    struct Pending {
        QByteArray bytes;
        QPointer<QObject> context;
        LineHandler done;
        std::function<void()> written;
        bool out = false; // its bytes are on their way; its line is awaited
    };
    struct Attempt {
        QPointer<QObject> context;
        ConnectHandler done;
    };

    void OnConnected();
    void OnDirectlyConnected(qintptr descriptor);
    void OnSocketError();
    void OnReadyRead();
    void OnAttemptTimeout();
    void EndAttempt(const ConnectOutcome& outcome);
    // The attempt failed: the socket goes, and its handler is told why.
    void FailAttempt(const QString& reason);
    // Sends the first exchange of the queue when it has not gone out yet.
    void SendNext();
    void Answer(const std::optional<QByteArray>& line);
    void Hand(const QPointer<QObject>& context, std::function<void()> call);
    void Lose(const QString& reason);
    // Drops the socket; with tell, whoever waits is told that nothing came.
    void Shut(bool tell);
    void ArmReplyTimer();
    void OnReplyTimer();
    bool Awaiting() const { return !m_queue.empty() && m_queue.front().out; }

    LinkSettings m_settings;
    QTcpSocket* m_socket;   // a child, kept from one connection to the next
    DirectConnect m_direct; // tried first; Qt's connect where it declines
    QString m_host;
    quint16 m_port = 0;
    bool m_open = false;
    quint64 m_generation = 0;
    LineAssembler m_assembler;
    std::optional<Attempt> m_attempt;
    std::deque<Pending> m_queue;        // exchanges, oldest first
    std::deque<QByteArray> m_unclaimed; // lines nobody has asked for yet
    QTimer m_attemptTimer;
    // The camera owes a line until m_replyDeadline; the timer, left running
    // from one line to the next, looks at the deadline when it fires.
    QTimer m_replyTimer;
    QDeadlineTimer m_replyDeadline;
};

} // namespace kestrel
