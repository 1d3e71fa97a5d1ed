#pragma once

#include "camera.h"
#include "log_book.h"
#include "recording_surface.h"
#include "session_events.h"
#include "sim_thread.h"
#include "window_presenter.h"

#include <QEventLoop>
#include <QSignalSpy>
#include <QTest>
#include <QTimer>

#include <memory>
#include <optional>

namespace kestrel::test {

// How long a test waits for the camera before it gives up.
inline constexpr int kAnswerMs = 15000;

// Sends a command through the camera's busy gate and serves events until its
// reply is in; nothing when the camera gave none.
inline std::optional<QByteArray> Ask(Camera& camera, const QByteArray& command) {
    QObject context;
    QEventLoop loop;
    std::optional<QByteArray> answer;
    bool answered = false;
    camera.SendCommand(command, &context, [&](const std::optional<QByteArray>& reply) {
        answer = reply;
        answered = true;
        loop.quit();
    });
    QTimer::singleShot(kAnswerMs, &loop, &QEventLoop::quit);
    if (!answered)
        loop.exec();
    return answer;
}

// The reply as a window's log would read it: empty when none came.
inline QByteArray AskText(Camera& camera, const QByteArray& command) {
    return Ask(camera, command).value_or(QByteArray());
}

// The camera link as the window uses it, on a Camera, without the camera
// operations that run after connecting: the Connect button opens the
// connection to the surface's address field and reads the greeting (the log
// starts afresh), or disconnects.
struct LinkRig {
    explicit LinkRig(RecordingSurface& surface, LinkSettings settings = {})
        : field(surface), presenter(events, log, surface),
          camera(log, events, settings, RunSettings()), port(settings.cameraPort) {}

    // The click itself: starts the connect or the disconnect and returns.
    void Click() {
        if (camera.Connected())
            camera.Disconnect();
        else
            camera.Open(field.address, port);
    }
    // Clicks and serves events until the connect or the disconnect is over.
    void OnBnClickedConnect() {
        QSignalSpy opened(&camera, &Camera::openEnded);
        QSignalSpy closed(&camera, &Camera::disconnected);
        Click();
        QTRY_VERIFY_WITH_TIMEOUT(!opened.isEmpty() || !closed.isEmpty(), kAnswerMs);
    }
    bool Connected() const { return camera.Connected(); }

    RecordingSurface& field;
    LogBook log;
    SessionEvents events;
    WindowPresenter presenter;
    Camera camera;
    quint16 port;
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
