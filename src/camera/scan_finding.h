#pragma once

#include "camera_identity.h"

#include <QMetaType>
#include <QString>

namespace kestrel {

// A camera found by a search: where it answered and what it said.
struct ScanFinding {
    enum class State {
        Idle,        // no run in progress; its identity is read
        Programming, // a run is in progress: asked nothing but the update status
        Lost,        // a camera, but the connection ended before its identity was read
    };

    QString address; // dotted decimal
    quint16 port = 0;
    State state = State::Idle;
    CameraIdentity identity; // empty unless Idle

    // "address:port"
    QString Endpoint() const { return address + QLatin1Char(':') + QString::number(port); }

    // "idle", "programming" or "lost"
    static QString StateName(State state) {
        switch (state) {
        case State::Idle:
            return QStringLiteral("idle");
        case State::Programming:
            return QStringLiteral("programming");
        case State::Lost:
            return QStringLiteral("lost");
        }
        return QString();
    }
};

} // namespace kestrel

Q_DECLARE_METATYPE(kestrel::ScanFinding)
