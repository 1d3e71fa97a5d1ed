#pragma once

#include <QByteArray>
#include <QByteArrayList>

#include <functional>

namespace kestrel {

class LogBook;
class OperatorInput;
struct SessionIo;
class LineTransport;

// Every exchange with the camera goes through here: one upper-cased command
// line out, one reply line back. While a programming run is flagged, only the
// run's own commands (given by the camera operations) reach the camera; any
// other is answered "occuped" without touching the connection.
class CommandChannel {
public:
    static constexpr qsizetype kLogLimit = 5000; // the log is emptied when longer

    CommandChannel(SessionIo io, LineTransport& transport, QByteArrayList duringRun);

    // Tells the busy gate whether a programming run is in progress; without
    // it, none ever is.
    void SetRunFlag(std::function<bool()> updateRunning) {
        m_updateRunning = std::move(updateRunning);
    }

    // Sends the command and returns its reply line without the line end;
    // "occuped" when the busy gate refuses it; empty when the connection is
    // not open, ends, or the camera does not answer in time.
    QByteArray SendCommand(const QByteArray& command);

    // Sends the text followed by the bytes 13, 10. Always 1.
    int SendLine(const QByteArray& text);

    // 1 when every byte was handed to the connection, 0 otherwise.
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
    QByteArrayList m_duringRun; // the commands that pass while a run is flagged
    std::function<bool()> m_updateRunning;
};

} // namespace kestrel
