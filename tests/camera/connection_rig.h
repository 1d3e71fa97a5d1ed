#pragma once

#include "busy_gate.h"
#include "command_channel.h"
#include "connect_sequence.h"
#include "connector.h"
#include "line_transport.h"
#include "log_book.h"
#include "recording_surface.h"
#include "session_events.h"
#include "session_io.h"
#include "window_presenter.h"
#include "sim_thread.h"

#include <memory>

namespace kestrel::test {

// The camera link and the connect sequence, as the window uses them, without
// the camera operations that run after connecting: the Connect button opens
// the connection to the surface's address field, reads the greeting and logs
// the connection line, or disconnects.
struct LinkRig {
    explicit LinkRig(RecordingSurface& surface, LinkSettings settings = {})
        : field(surface), presenter(events, log, surface), transport(settings),
          channel(SessionIo{log, events, surface}, transport),
          connector(SessionIo{log, events, surface}, transport, channel, settings),
          gate(channel), sequence(SessionIo{log, events, surface}, connector, channel, gate) {}
    void OnBnClickedConnect() {
        if (connector.Connected()) {
            sequence.Disconnect();
            return;
        }
        const std::optional<quint64> generation = sequence.Open(field.address);
        if (generation && sequence.StillConnected(*generation))
            sequence.Announce(QString(), QString());
    }
    LogBook& Log() { return log; }
    Connector& Link() { return connector; }
    // Commands go through the busy gate, as the camera operations send them.
    BusyGate& Channel() { return gate; }

    RecordingSurface& field;
    LogBook log;
    SessionEvents events;
    WindowPresenter presenter;
    LineTransport transport;
    CommandChannel channel;
    Connector connector;
    BusyGate gate;
    ConnectSequence sequence;
};

inline LinkSettings LinkSettingsFor(quint16 port, int connectMs = 5000, int replyMs = 10000) {
    LinkSettings settings;
    settings.cameraPort = port;
    settings.connectTimeoutMs = connectMs;
    settings.replyTimeoutMs = replyMs;
    return settings;
}

// A simulated camera on 127.0.0.1 and a link to it, not yet connected; the
// window's address field reads 127.0.0.1. started tells whether the camera
// could listen. The camera is held by pointer so that a test can take it
// away while the link stays.
struct SimLink {
    explicit SimLink(const sim::SimOptions& options = {}, int connectMs = 5000, int replyMs = 10000)
        : sim(std::make_unique<sim::SimThread>(options)), started(sim->Start()),
          session(surface, LinkSettingsFor(sim->Port(), connectMs, replyMs)) {
        surface.address = QStringLiteral("127.0.0.1");
    }

    std::unique_ptr<sim::SimThread> sim;
    bool started;
    RecordingSurface surface;
    LinkRig session;
};

} // namespace kestrel::test
