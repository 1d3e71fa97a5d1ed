#pragma once

#include "app/dialog_state.h"
#include "link/command_channel.h"
#include "link/connector.h"
#include "link/line_transport.h"

namespace kestrel::test {

// The camera link alone, as the window uses it, without the camera
// operations that run after connecting.
struct LinkRig {
    explicit LinkRig(WindowSurface& surface, LinkSettings settings = {})
        : transport(settings), channel(state, surface, transport),
          connector(state, surface, transport, channel, settings) {}
    void OnBnClickedConnect() { connector.OnBnClickedConnect(); }
    DialogState& State() { return state; }
    CommandChannel& Channel() { return channel; }

    DialogState state;
    LineTransport transport;
    CommandChannel channel;
    Connector connector;
};

} // namespace kestrel::test
