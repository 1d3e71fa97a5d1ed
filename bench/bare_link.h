#pragma once

#include "command_channel.h"
#include "connector.h"
#include "line_transport.h"
#include "log_book.h"
#include "operator_input.h"
#include "session_events.h"
#include "session_io.h"

namespace kestrel::bench {

// The camera link as the window uses it, without the camera queries that
// follow a connect: Connect opens the connection and reads the greeting,
// nothing more.
struct BareLink {
    BareLink(OperatorInput& input, LinkSettings settings)
        : transport(settings), channel(SessionIo{log, events, input}, transport),
          connector(SessionIo{log, events, input}, transport, channel, settings) {}
    void Connect(const QString& address) {
        if (connector.Open(address).connected)
            channel.ReadLine(); // the greeting
    }

    LogBook log;
    SessionEvents events; // shown nowhere
    LineTransport transport;
    CommandChannel channel;
    Connector connector;
};

} // namespace kestrel::bench
