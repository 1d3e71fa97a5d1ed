#pragma once

#include <QString>

// The link's own words for the operator: what went wrong with the connection.
namespace kestrel::texts {

inline QString NoAnswerWithin(int ms) {
    return QStringLiteral("no answer from the camera within %1 s").arg(ms / 1000.0);
}
inline QString CameraClosedConnection() {
    return QStringLiteral("the camera closed the connection");
}
inline QString ConnectionRefused() {
    return QStringLiteral("the camera refused the connection");
}
inline QString HostNotFound() {
    return QStringLiteral("no camera of that name was found");
}
inline QString AttemptCancelled() {
    return QStringLiteral("the connection attempt was cancelled");
}
inline QString CouldNotSend(const QString& socketError) {
    return QStringLiteral("a command could not be sent (%1)").arg(socketError);
}
inline QString TooManyLines() {
    return QStringLiteral("the camera sent lines that nobody asked for");
}

// The log line written once connected: the camera's number (its serial
// number, empty when not read) and the address. The degree sign is the
// Windows-1252 byte 0xB0.
inline QString ConnectedLine(const QString& cameraNumber, const QString& address) {
    return QStringLiteral("Connected to camera n\u00B0") + cameraNumber +
           QStringLiteral(" @ IP=") + address + QStringLiteral("\r\n");
}

// The log line written when a connection ends without the operator asking.
inline QString ConnectionLostLine(const QString& reason) {
    return QStringLiteral("Connection to the camera lost: %1\r\n").arg(reason);
}

// The message box of a connection attempt that failed.
inline QString CouldNotConnect(const QString& address, const QString& reason) {
    return QStringLiteral("Could not connect to the camera at %1: %2.").arg(address, reason);
}

} // namespace kestrel::texts
