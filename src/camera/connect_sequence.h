#pragma once

#include <QByteArray>
#include <QObject>
#include <QString>

#include <functional>
#include <optional>

namespace kestrel {

class LogBook;
class SessionEvents;
struct SessionIo;
class CommandChannel;
class Connector;
class BusyGate;

// How the tool opens and closes a conversation with the camera: the address
// is checked, the connection opened, the log started afresh and the camera's
// greeting awaited; once the camera has been looked at, the connection line
// is logged and both panes are shown. Closing says goodbye unless the busy
// gate refuses it. Every step returns at once; its end comes to the handler
// given, from the event loop.
class ConnectSequence : public QObject {
    Q_OBJECT
public:
    // The generation of the connection, open and greeted; nothing when not.
    using Opened = std::function<void(std::optional<quint64> generation)>;

    ConnectSequence(SessionIo io, Connector& connector, CommandChannel& channel, BusyGate& gate);

    // Opens the connection to address:port and reads the greeting; done gets
    // the generation of the connection when it is still open then, nothing
    // when the address is empty or the attempt failed (the operator is told)
    // or the connection ended meanwhile. False, and done is never called,
    // while an attempt is already under way.
    bool Open(const QString& address, quint16 port, Opened done);
    // An attempt is under way, from the click to the greeting.
    bool Opening() const { return m_opening; }
    // Still connected through the connection Open gave.
    bool StillConnected(quint64 generation) const;
    // Logs the connection line with the camera's number, shows the log and
    // the information text.
    void Announce(const QString& cameraNumber, const QString& info);

    // Says goodbye to the camera (refused by the busy gate while a run is in
    // progress) and closes the connection; done once closed.
    void Disconnect(std::function<void()> done = {});

    // Opens the connection to the last address again and reads the greeting,
    // without touching the log or the panes: for following the camera across
    // a lost connection. done(true) when connected.
    void Reconnect(std::function<void(bool connected)> done);

signals:
    // A connection could not be opened; message is what the operator was told.
    void connectFailed(const QString& message);

private:
    void Refuse(const QString& message);
    void Greeted(quint64 generation, const Opened& done);

    LogBook& m_log;
    SessionEvents& m_events;
    Connector& m_connector;
    CommandChannel& m_channel;
    BusyGate& m_gate;
    bool m_opening = false;
};

} // namespace kestrel
