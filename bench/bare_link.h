#pragma once

#include "app/dialog_state.h"
#include "link/command_channel.h"
#include "link/connector.h"
#include "link/line_transport.h"

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
