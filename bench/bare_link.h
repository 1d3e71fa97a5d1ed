#pragma once

#include "command_channel.h"
#include "connector.h"
#include "dialog_state.h"
#include "line_transport.h"

namespace kestrel::bench {

// The camera link as the window uses it, without the camera queries that
// follow a connect: the connect click opens the connection and reads the
// greeting, nothing more.
struct BareLink {
    BareLink(WindowSurface& surface, LinkSettings settings)
        : transport(settings), channel(state, surface, transport),
          connector(state, surface, transport, channel, settings) {}

    DialogState state;
    LineTransport transport;
    CommandChannel channel;
    Connector connector;
};

} // namespace kestrel::bench
