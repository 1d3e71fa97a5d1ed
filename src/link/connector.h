#pragma once

#include "line_transport.h"
#include "link_settings.h"

#include <QObject>
#include <QString>

namespace kestrel {

class LogBook;
class SessionEvents;
struct SessionIo;
class CommandChannel;

// Opens the connection to the camera at the address it is given, and closes
// it again. It also notices a connection that ends without the operator
// asking. What is said to the camera on connecting is the camera's business.
class Connector : public QObject {
    Q_OBJECT
public:
    Connector(SessionIo io, LineTransport& transport, CommandChannel& channel,
              LinkSettings settings);

    // Opens the connection to address and waits for it; once open, the tool
    // counts as connected and the button offers Disconnect.
    LineTransport::ConnectOutcome Open(const QString& address);
    // An attempt to open is under way.
    bool Connecting() const { return m_bConnecting; }

    // Opens the connection to the last address again, unless connected, an
    // attempt or a disconnect is under way, or none was ever opened. True
    // when open.
    bool Reopen();

    // Sends goodbye (unless empty) and closes the connection. A call while
    // one is under way changes nothing.
    void Disconnect(const QByteArray& goodbye);

    // The tool considers itself connected: from the opening of a connection
    // until the operator disconnects or the connection ends.
    bool Connected() const { return m_bConnected; }

    // The address of the last connection that was opened.
    QString Address() const { return m_address; }

    // While set, the end of a connection is expected (the camera is being
    // power-cycled) and not logged as lost; it counts as lost all the same.
    void ExpectLoss(bool expected) { m_bLossExpected = expected; }

    // Tells one opened connection from the next.
    quint64 Generation() const { return m_transport.Generation(); }
    // Still connected through the connection of that generation.
    bool StillConnected(quint64 generation) const;

signals:
    // The connection ended without the operator asking; the log says why.
    void connectionLost();

private:
    void OnConnectionLost(const QString& reason);

    LogBook& m_log;
    SessionEvents& m_events;
    LineTransport& m_transport;
    CommandChannel& m_channel;
    LinkSettings m_settings;
    QString m_address;
    bool m_bConnected = false;
    bool m_bConnecting = false;
    bool m_bDisconnecting = false;
    bool m_bLossExpected = false;
};

} // namespace kestrel
