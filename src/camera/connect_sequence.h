#pragma once

#include <QByteArray>
#include <QObject>
#include <QString>

#include <functional>
#include <optional>

namespace kestrel {

class LogBook;
class SessionEvents;
class OperatorInput;
struct SessionIo;
class CommandChannel;
class Connector;
class BusyGate;

// How the tool opens and closes a conversation with the camera: the address
// is checked, the connection opened, the log started afresh and the camera's
// greeting awaited; once the camera has been looked at, the connection line
// is logged and both panes are shown. Closing says goodbye unless the busy
// gate refuses it.
class ConnectSequence : public QObject {
    Q_OBJECT
public:
    ConnectSequence(SessionIo io, Connector& connector, CommandChannel& channel, BusyGate& gate);

    // Opens the connection to address and reads the greeting. The generation
    // of the connection when it is still open afterwards; nothing when the
    // address is empty, the attempt failed (the operator is told), an attempt
    // is already under way, or the connection ended meanwhile.
    std::optional<quint64> Open(const QString& address);
    // Still connected through the connection Open returned.
    bool StillConnected(quint64 generation) const;
    // Logs the connection line with the camera's number, shows the log and
    // the information text.
    void Announce(const QString& cameraNumber, const QString& info);

    // Says goodbye to the camera (refused by the busy gate while a run is in
    // progress) and closes the connection.
    void Disconnect();

    // Opens the connection to the last address again and reads the greeting,
    // without touching the log or the panes: for following the camera across
    // a lost connection. True when connected.
    bool Reconnect();
    // Opens the connection again, attempt after attempt, pauseMs apart (the
    // window stays alive meanwhile), until it is open, by these attempts or by
    // the operator, or keepGoing() says to give up. keepGoing is asked before
    // every attempt. True when connected.
    bool ReconnectUntil(const std::function<bool()>& keepGoing, int pauseMs);

signals:
    // A connection could not be opened; message is what the operator was told.
    void connectFailed(const QString& message);

private:
    void Refuse(const QString& message);

    LogBook& m_log;
    SessionEvents& m_events;
    OperatorInput& m_input;
    Connector& m_connector;
    CommandChannel& m_channel;
    BusyGate& m_gate;
};

} // namespace kestrel
