#pragma once

#include "recording_surface.h"
#include "tool_session.h"

#include <QByteArrayList>

#include <memory>

namespace kestrel::test {

// A tool session on surface, whose address field then reads 127.0.0.1, for
// a camera listening at port there; not yet connected. The port replaces
// link's own.
inline std::unique_ptr<ToolSession> SessionAt(RecordingSurface& surface, quint16 port,
                                              const RunSettings& run = {}, LinkSettings link = {}) {
    surface.address = QStringLiteral("127.0.0.1");
    link.cameraPort = port;
    return std::make_unique<ToolSession>(surface, surface, surface, link, run);
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
