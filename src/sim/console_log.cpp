#include "console_log.h"

#include "camera_sim_server.h"
#include "escapes.h"
#include "sim_cameras.h"

#include <QTime>

#include <cstdio>

namespace kestrel::sim {

namespace {

// A line shown without its line end (a sent line that lacks one was cut),
// and cut short when very long.
QString Shown(QByteArray bytes) {
    if (bytes.endsWith("\r\n")) {
        bytes.chop(2);
    } else if (bytes.endsWith('\n')) {
        bytes.chop(1);
    }
    if (bytes.size() <= ConsoleLog::kMaxShownBytes) {
        return EscapeBytes(bytes);
    }
    return EscapeBytes(bytes.left(ConsoleLog::kMaxShownBytes)) +
           QStringLiteral("... (%1 bytes)").arg(bytes.size());
}

} // namespace

ConsoleLog::ConsoleLog(const SimCameras& cameras, QObject* parent) : QObject(parent) {
    for (int i = 0; i < cameras.Count(); ++i) {
        Follow(cameras.Camera(i), cameras.Count() > 1);
    }
}

void ConsoleLog::Follow(const CameraSimServer& server, bool namePort) {
    const CameraSimServer* named = namePort ? &server : nullptr;
    connect(&server, &CameraSimServer::ConnectionOpened, this,
            [named](int connection, const QString& peer) {
                PrintFor(named, connection, QStringLiteral("connected from %1").arg(peer));
            });
    connect(&server, &CameraSimServer::ConnectionClosed, this, [named](int connection) {
        PrintFor(named, connection, QStringLiteral("disconnected"));
    });
    connect(&server, &CameraSimServer::LineReceived, this,
            [named](int connection, const QByteArray& line) {
                PrintFor(named, connection, QStringLiteral("<- ") + Shown(line));
            });
    connect(&server, &CameraSimServer::BytesSent, this,
            [named](int connection, const QByteArray& bytes) {
                PrintFor(named, connection, QStringLiteral("-> ") + Shown(bytes));
            });
    connect(&server, &CameraSimServer::Note, this,
            [named](int connection, const QString& text) { PrintFor(named, connection, text); });
    connect(&server, &CameraSimServer::RunPhaseChanged, this,
            [named](const QString& text) { PrintFor(named, 0, text); });
    connect(&server, &CameraSimServer::PowerChanged, this,
            [named](const QString& text) { PrintFor(named, 0, text); });
}

void ConsoleLog::Print(const QString& text) {
    const QByteArray line =
        (QTime::currentTime().toString(QStringLiteral("HH:mm:ss.zzz ")) + text + QLatin1Char('\n'))
            .toUtf8();
    std::fwrite(line.constData(), 1, static_cast<std::size_t>(line.size()), stdout);
    std::fflush(stdout);
}

void ConsoleLog::PrintFor(const CameraSimServer* named, int connection, const QString& text) {
    QString shown = connection == 0 // the camera as a whole
                        ? text
                        : QStringLiteral("#%1 %2").arg(connection).arg(text);
    if (named) {
        shown = QStringLiteral("port %1 %2").arg(named->Port()).arg(shown);
    }
    Print(shown);
}

} // namespace kestrel::sim
