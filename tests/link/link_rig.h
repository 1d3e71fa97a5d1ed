#pragma once

#include "camera_commands.h"
#include "command_channel.h"
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

// The camera link alone, as the window uses it, without the camera
// operations that run after connecting.
struct LinkRig {
    explicit LinkRig(RecordingSurface& surface, LinkSettings settings = {})
        : presenter(events, log, surface), transport(settings),
          channel(SessionIo{log, events, surface}, transport, commands::kDuringRun),
          connector(SessionIo{log, events, surface}, transport, channel, settings,
                    commands::kGoodbye) {
        channel.SetRunFlag([this] { return runFlagged; });
    }
    void OnBnClickedConnect() { connector.OnBnClickedConnect(); }
    LogBook& Log() { return log; }
    Connector& Link() { return connector; }
    CommandChannel& Channel() { return channel; }

    bool runFlagged = false; // what the busy gate is told of a programming run
    LogBook log;
    SessionEvents events;
    WindowPresenter presenter;
    LineTransport transport;
    CommandChannel channel;
    Connector connector;
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
