#pragma once

#include <QByteArray>

#include <functional>
#include <optional>

class QObject;

namespace kestrel {

class LogBook;
class LineTransport;

// Every exchange with the camera goes through here: one upper-cased command
// line out, one reply line back, handed later to the caller's handler.
// Which commands may go out while the camera programs its flash is the
// camera's rule (its busy gate), not the channel's.
class CommandChannel {
public:
    static constexpr qsizetype kLogLimit = 5000; // the log is emptied when longer

    // The reply line without its line end; nothing when the connection is
    // not open, ends, or the camera does not answer in time.
    using Reply = std::function<void(const std::optional<QByteArray>& reply)>;

    CommandChannel(LogBook& log, LineTransport& transport);

    // Sends the command upper-cased and followed by the bytes 13, 10, once
    // every exchange asked for before has its reply; the reply goes to done
    // (while context lives), after the log has been bounded. written, when
    // given, is called as the line is handed to the connection.
    void SendCommand(const QByteArray& command, QObject* context, Reply done,
                     std::function<void()> written = {});

    // The next line from the camera, nothing sent: its greeting.
    void ReadLine(QObject* context, Reply done);

    // Empties the log when it has grown past kLogLimit characters.
    void BoundLog();

private:
    LogBook& m_log;
    LineTransport& m_transport;
};

} // namespace kestrel
