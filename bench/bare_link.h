#pragma once

#include "camera_commands.h"
#include "command_channel.h"
#include "connector.h"
#include "dialog_state.h"
#include "line_transport.h"
#include "log_book.h"

namespace kestrel::bench {

// The camera link as the window uses it, without the camera queries that
// follow a connect: the connect click opens the connection and reads the
// greeting, nothing more.
struct BareLink {
    BareLink(WindowSurface& surface, LinkSettings settings)
        : transport(settings), channel(state, log, surface, transport, commands::kDuringRun),
          connector(state, log, surface, transport, channel, settings, commands::kGoodbye) {}

    DialogState state;
    LogBook log{state.m_strLog};
    LineTransport transport;
    CommandChannel channel;
    Connector connector;
};

} // namespace kestrel::bench
