#pragma once

#include "line_assembler.h"
#include "link_settings.h"

#include <QByteArray>
#include <QList>
#include <QObject>
#include <QString>
#include <QTimer>

#include <deque>
#include <functional>
#include <memory>
#include <optional>

class QEventLoop;
class QTcpSocket;

namespace kestrel {

// The TCP connection to the camera, carrying lines. Every wait runs a nested
// event loop, so the window and other handlers stay alive; a handler that
// runs inside another one's wait can use the connection too: lines are handed
// to the readers in the order they asked for them.
class LineTransport : public QObject {
    Q_OBJECT
public:
    struct ConnectOutcome {
        bool connected = false;
        QString reason; // why not, in words for the operator
    };

    explicit LineTransport(LinkSettings settings, QObject* parent = nullptr);
    ~LineTransport() override;

    // Opens the connection and waits for it: connected, refused, unreachable
    // or no answer within the connect timeout.
    ConnectOutcome Connect(const QString& host, quint16 port);

    bool IsOpen() const { return m_open; }

    // Counts the connections opened so far; tells one connection from the next.
    quint64 Generation() const { return m_generation; }

    // Hands the bytes to the socket. False when the connection is not open
    // or the socket refused them; a refusal ends the connection as lost.
    bool Write(const QByteArray& bytes);

    // Waits for the next line that nobody else has asked for. Nothing when the
    // connection is closed, fails, or the camera stays silent for the reply
    // timeout (which counts as a lost connection).
    std::optional<QByteArray> ReadLine();

    // Waits until every reader that asked before has its line (or the
    // connection has ended), so that a new command is not sent in the middle
    // of another exchange.
    void WaitUntilAnswered();

    // Closes the connection at the tool's wish: no loss is reported.
    void Close();

signals:
    // The connection ended without the tool asking: the camera closed it, a
    // socket error, or a reply timeout. Emitted once per connection.
    void connectionLost(const QString& reason);
    // A connection is open, the first or a later one.
    void opened();
    // Bytes were handed to the connection, as given to Write.
    void sent(const QByteArray& bytes);
    // A line came from the camera, as read (without its line end).
    void lineReceived(const QByteArray& line);

private:
    struct Claim {
        bool done = false;
        std::optional<QByteArray> line;
    };

    void WaitUntil(const std::function<bool()>& condition);
    void WakeWaiters();
    void OnReadyRead();
    void OnSocketError();
    void Lose(const QString& reason);
    void Shut();
    void ArmReplyTimer();

    LinkSettings m_settings;
    QTcpSocket* m_socket = nullptr;
    bool m_open = false;
    quint64 m_generation = 0;
    LineAssembler m_assembler;
    std::deque<std::shared_ptr<Claim>> m_claims; // readers waiting, oldest first
    std::deque<QByteArray> m_unclaimed;          // lines nobody has asked for yet
    QList<QEventLoop*> m_loops;                  // the waits in progress, innermost last
    QTimer m_replyTimer;
};

} // namespace kestrel
