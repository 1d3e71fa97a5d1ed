#pragma once

#include "line_transport.h"
#include "link_settings.h"

#include <QObject>
#include <QString>

#include <functional>

namespace kestrel {

class LogBook;
class SessionEvents;
class OperatorInput;
struct SessionIo;
class CommandChannel;

// The Connect button: opens the connection to the camera at the address in
// the address field and reads its greeting, or says goodbye and closes it.
// It also notices a connection that ends without the operator asking.
class Connector : public QObject {
    Q_OBJECT
public:
    // The places in the connect sequence where the camera is looked at: A
    // after the greeting (before the connection line is logged), B after both
    // panes are shown.
    struct AfterConnect {
        std::function<void()> pointA;
        std::function<void()> pointB;
        // The camera number of the connection line.
        std::function<QString()> cameraNumber;
        // The information pane's text once connected.
        std::function<QString()> info;
    };

    // goodbye is the command sent before the tool closes the connection.
    Connector(SessionIo io, LineTransport& transport, CommandChannel& channel,
              LinkSettings settings, QByteArray goodbye);

    void SetAfterConnect(AfterConnect hooks) { m_after = std::move(hooks); }

    // The Connect button: Disconnect when connected, Connect otherwise.
    void OnBnClickedConnect();

    // Opens the connection to the address in the address field, reads the
    // greeting and looks at the camera (the after-connect points). A call
    // while an attempt is under way changes nothing.
    void Connect();
    // Says goodbye to the camera (refused by the busy gate while a run is in
    // progress) and closes the connection.
    void Disconnect();

    // The tool considers itself connected: from the opening of a connection
    // until the operator disconnects or the connection ends.
    bool Connected() const { return m_bConnected; }

    // The address of the last connection that was opened.
    QString Address() const { return m_address; }

    // Opens the connection to the last address again and reads the greeting,
    // without touching the log or the panes: for following a programming run
    // across a lost connection. True when connected.
    bool Reconnect();

    // Opens the connection again, attempt after attempt, pauseMs apart (the
    // window stays alive meanwhile), until it is open, by these attempts or by
    // the operator, or keepGoing() says to give up. keepGoing is asked before
    // every attempt. True when connected.
    bool ReconnectUntil(const std::function<bool()>& keepGoing, int pauseMs);

signals:
    // Connected by the operator: the connection line and the panes are shown
    // (before the after-connect point B).
    void connected();
    // The connection ended without the operator asking; the log says why.
    void connectionLost();
    // A connection could not be opened; message is what the operator was told.
    void connectFailed(const QString& message);

private:
    void Refuse(const QString& message);
    // Opens the connection to address; once open, the tool counts as
    // connected and the button offers Disconnect.
    LineTransport::ConnectOutcome Open(const QString& address);
    void OnConnectionLost(const QString& reason);
    bool StillConnected(quint64 generation) const;

    LogBook& m_log;
    SessionEvents& m_events;
    OperatorInput& m_input;
    LineTransport& m_transport;
    CommandChannel& m_channel;
    LinkSettings m_settings;
    QByteArray m_goodbye;
    AfterConnect m_after;
    QString m_address;
    bool m_bConnected = false;
    bool m_bConnecting = false;
    bool m_bDisconnecting = false;
};

} // namespace kestrel
