#pragma once

#include "camera.h"
#include "tool_session.h"

#include <QEventLoop>
#include <QSignalSpy>
#include <QTimer>

#include <optional>

namespace kestrel::bench {

// How long a benchmark waits for the camera before it counts as a fault.
inline constexpr int kCameraMs = 60000;

// Presses Connect and serves events until the look at the camera, or the
// disconnect, is over.
inline void ClickConnect(ToolSession& session, const QString& address) {
    QSignalSpy looked(&session.TheCamera(), &Camera::connectEnded);
    QSignalSpy closed(&session.TheCamera(), &Camera::disconnected);
    QSignalSpy& end = session.TheCamera().Connected() ? closed : looked;
    session.Connect(address);
    end.wait(kCameraMs);
}

// One command through the camera's busy gate; serves events until its reply.
inline std::optional<QByteArray> Ask(Camera& camera, const QByteArray& command) {
    QEventLoop loop;
    std::optional<QByteArray> answer;
    camera.SendCommand(command, &loop, [&](const std::optional<QByteArray>& reply) {
        answer = reply;
        loop.quit();
    });
    QTimer::singleShot(kCameraMs, &loop, &QEventLoop::quit);
    loop.exec();
    return answer;
}

} // namespace kestrel::bench
