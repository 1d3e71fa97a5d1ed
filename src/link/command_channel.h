#pragma once

#include <QByteArray>

namespace kestrel {

class LogBook;
class OperatorInput;
struct SessionIo;
class LineTransport;

// Every exchange with the camera goes through here: one upper-cased command
// line out, one reply line back. Which commands may go out while the camera
// programs its flash is the camera's rule (its busy gate), not the channel's.
class CommandChannel {
public:
    static constexpr qsizetype kLogLimit = 5000; // the log is emptied when longer

    CommandChannel(SessionIo io, LineTransport& transport);

    // Sends the command and returns its reply line without the line end;
    // empty when the connection is not open, the line could not be written
    // (at once), the connection ends, or the camera does not answer in time.
    QByteArray SendCommand(const QByteArray& command);

    // Sends the text followed by the bytes 13, 10; SendAll's result.
    int SendLine(const QByteArray& text);

    // 1 when every byte was handed to the connection, 0 otherwise (the
    // connection is then lost, and the log says why).
    int SendAll(const QByteArray& bytes);

    // The next line from the camera; empty on failure.
    QByteArray ReadLine();

    // Serves the window for about 10 ms.
    void PumpWaitingMessages();

    // Empties the log when it has grown past kLogLimit characters.
    void BoundLog();

private:
    LogBook& m_log;
    OperatorInput& m_input;
    LineTransport& m_transport;
};

} // namespace kestrel
