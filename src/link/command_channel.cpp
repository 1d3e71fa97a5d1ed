#include "command_channel.h"

#include "line_transport.h"
#include "log_book.h"

namespace kestrel {

CommandChannel::CommandChannel(LogBook& log, LineTransport& transport)
    : m_log(log), m_transport(transport) {}

void CommandChannel::SendCommand(const QByteArray& command, QObject* context, Reply done,
                                 std::function<void()> written) {
    m_transport.Exchange(
        command.toUpper() + "\r\n", context,
        [this, done = std::move(done)](const std::optional<QByteArray>& reply) {
            BoundLog();
            done(reply);
        },
        std::move(written));
}

void CommandChannel::ReadLine(QObject* context, Reply done) {
    m_transport.Exchange(QByteArray(), context, std::move(done));
}

void CommandChannel::BoundLog() {
    if (m_log.Text().size() > kLogLimit)
        m_log.Restart();
}

} // namespace kestrel
