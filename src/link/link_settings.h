#pragma once

#include <QtGlobal>

namespace kestrel {

// Where the camera listens and how long the tool waits for it.
struct LinkSettings {
    quint16 cameraPort = 5000;   // the camera's command server
    int connectTimeoutMs = 5000; // a connection attempt gives up after this
    int replyTimeoutMs = 10000;  // a camera silent this long counts as lost
};

} // namespace kestrel
