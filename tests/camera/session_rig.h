#pragma once

#include "camera.h"
#include "connection_rig.h"
#include "recording_surface.h"
#include "tool_session.h"

#include <QByteArrayList>
#include <QSignalSpy>
#include <QTest>

#include <memory>

namespace kestrel::test {

// A tool session on surface, whose address field then reads 127.0.0.1, for
// a camera listening at port there; not yet connected. The port replaces
// link's own.
inline std::unique_ptr<ToolSession> SessionAt(RecordingSurface& surface, quint16 port,
                                              const RunSettings& run = {}, LinkSettings link = {}) {
    surface.address = QStringLiteral("127.0.0.1");
    link.cameraPort = port;
    return std::make_unique<ToolSession>(surface, surface, link, run);
}

// Presses Connect and serves events until the click's work is over: the
// look at the camera after connecting (not a run found then), or the
// disconnect.
inline void ClickConnect(ToolSession& session, const RecordingSurface& surface) {
    Camera& camera = session.TheCamera();
    QSignalSpy looked(&camera, &Camera::connectEnded);
    QSignalSpy closed(&camera, &Camera::disconnected);
    session.Connect(surface.address);
    QTRY_VERIFY_WITH_TIMEOUT(!looked.isEmpty() || !closed.isEmpty(), kAnswerMs);
}

// Serves events until the run started or followed now ends; its outcome.
inline std::optional<RunOutcome> RunEnd(QSignalSpy& ended, int timeoutMs = 60000) {
    if (ended.isEmpty() && !ended.wait(timeoutMs))
        return std::nullopt;
    return ended.first().at(0).value<RunOutcome>();
}

// Presses HW Firmware Update and serves events until the run ends; its
// outcome, or the outcome at once of a press that started nothing.
inline std::optional<RunOutcome> ClickUpdate(ToolSession& session, int timeoutMs = 60000) {
    QSignalSpy ended(&session.TheCamera(), &Camera::runEnded);
    const std::optional<RunOutcome> atOnce = session.TheCamera().Update();
    if (atOnce)
        return atOnce;
    return RunEnd(ended, timeoutMs);
}

// The command lines a peer received, without their CR LF.
inline QByteArrayList WireLines(const QByteArray& wire) {
    QByteArrayList lines = wire.split('\n');
    lines.removeLast();
    for (QByteArray& line : lines)
        line.chop(1);
    return lines;
}

} // namespace kestrel::test
