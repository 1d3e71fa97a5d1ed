#include "command_channel.h"

#include "line_transport.h"
#include "log_book.h"
#include "operator_input.h"
#include "session_io.h"

namespace kestrel {

CommandChannel::CommandChannel(SessionIo io, LineTransport& transport)
    : m_log(io.log), m_input(io.input), m_transport(transport) {}

QByteArray CommandChannel::SendCommand(const QByteArray& command) {
    const QByteArray line = command.toUpper();
    // An exchange that another handler started before this one gets its reply
    // first; only then does this command go out.
    m_transport.WaitUntilAnswered();
    QByteArray reply;
    // A line that could not be written gets no reply: no wait for one.
    if (m_transport.IsOpen() && SendLine(line) == 1)
        reply = ReadLine();
    BoundLog();
    return reply;
}

int CommandChannel::SendLine(const QByteArray& text) {
    return SendAll(text + "\r\n");
}

int CommandChannel::SendAll(const QByteArray& bytes) {
    return m_transport.Write(bytes) ? 1 : 0;
}

QByteArray CommandChannel::ReadLine() {
    return m_transport.ReadLine().value_or(QByteArray());
}

void CommandChannel::PumpWaitingMessages() {
    m_input.Wait(10);
}

void CommandChannel::BoundLog() {
    if (m_log.Text().size() > kLogLimit)
        m_log.Restart();
}

} // namespace kestrel
