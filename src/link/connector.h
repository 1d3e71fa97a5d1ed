#pragma once

#include "line_transport.h"
#include "link_settings.h"

#include <QByteArray>
#include <QObject>
#include <QString>

#include <functional>

namespace kestrel {

class LogBook;
class SessionEvents;
class CommandChannel;

// Opens the connection to the camera at the address and port it is given,
// and closes it again. It also notices a connection that ends without the
// operator asking. What is said to the camera on connecting is the camera's
// business. Each call returns at once; its end is handed to the handler
// given, from the event loop.
class Connector : public QObject {
    Q_OBJECT
public:
    using Opened = std::function<void(const LineTransport::ConnectOutcome& outcome)>;

    Connector(LogBook& log, SessionEvents& events, LineTransport& transport,
              CommandChannel& channel);

    // Opens the connection to address:port; once open, the tool counts as
    // connected and the button offers Disconnect. done tells how it went.
    void Open(const QString& address, quint16 port, Opened done);
    // An attempt to open is under way.
    bool Connecting() const { return m_bConnecting; }

    // Opens the connection to the last address again; done(true) once open.
    // done(false) when connected, an attempt or a disconnect is under way,
    // none was ever opened, or the attempt failed.
    void Reopen(std::function<void(bool open)> done);

    // Sends goodbye (unless empty), closes the connection once it is
    // answered, then calls done. A call while one is under way does not
    // start another (its done is not called: the one under way ends for
    // both); without a goodbye of its own it ends the wait for the reply.
    void Disconnect(const QByteArray& goodbye, std::function<void()> done = {});
    bool Disconnecting() const { return m_bDisconnecting; }

    // The tool considers itself connected: from the opening of a connection
    // until the operator disconnects or the connection ends.
    bool Connected() const { return m_bConnected; }

    // The address and port of the last connection that was opened.
    QString Address() const { return m_address; }
    quint16 Port() const { return m_port; }

    // While set, the end of a connection is expected (the camera is being
    // power-cycled) and not logged as lost; it counts as lost all the same.
    void ExpectLoss(bool expected) { m_bLossExpected = expected; }
    bool LossExpected() const { return m_bLossExpected; }

    // Tells one opened connection from the next.
    quint64 Generation() const { return m_transport.Generation(); }
    // Still connected through the connection of that generation, and no
    // disconnect under way.
    bool StillConnected(quint64 generation) const;

signals:
    // The connection ended without the operator asking; the log says why.
    void connectionLost(const QString& reason);

private:
    void OnConnectionLost(const QString& reason);
    void Close(const std::function<void()>& done);

    LogBook& m_log;
    SessionEvents& m_events;
    LineTransport& m_transport;
    CommandChannel& m_channel;
    QString m_address;
    quint16 m_port = 0;
    bool m_bConnected = false;
    bool m_bConnecting = false;
    bool m_bDisconnecting = false;
    bool m_bLossExpected = false;
};

} // namespace kestrel
