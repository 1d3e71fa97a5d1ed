#pragma once

#include <QString>
#include <QtGlobal>

#include <optional>

namespace kestrel::cli {

// Where one camera is reached: an IPv4 address or a host name, and the port
// of its command server.
struct CameraAddress {
    QString host;
    quint16 port = 5000;

    // "host:port", as the operator reads it in every line about this camera.
    QString Text() const { return host + QLatin1Char(':') + QString::number(port); }
};

// Reads "HOST" or "HOST:PORT"; the port defaults to defaultPort. On a bad
// address, returns nothing and says why in error.
std::optional<CameraAddress> ParseCameraAddress(const QString& text, quint16 defaultPort,
                                                QString* error);

} // namespace kestrel::cli
