#include "console_log.h"

#include "camera_sim_server.h"
#include "escapes.h"

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

ConsoleLog::ConsoleLog(CameraSimServer& server, QObject* parent) : QObject(parent) {
    connect(&server, &CameraSimServer::ConnectionOpened, this,
            [](int connection, const QString& peer) {
                PrintFor(connection, QStringLiteral("connected from %1").arg(peer));
            });
    connect(&server, &CameraSimServer::ConnectionClosed, this,
            [](int connection) { PrintFor(connection, QStringLiteral("disconnected")); });
    connect(&server, &CameraSimServer::LineReceived, this,
            [](int connection, const QByteArray& line) {
                PrintFor(connection, QStringLiteral("<- ") + Shown(line));
            });
    connect(&server, &CameraSimServer::BytesSent, this,
            [](int connection, const QByteArray& bytes) {
                PrintFor(connection, QStringLiteral("-> ") + Shown(bytes));
            });
    connect(&server, &CameraSimServer::Note, this,
            [](int connection, const QString& text) { PrintFor(connection, text); });
    connect(&server, &CameraSimServer::RunPhaseChanged, this,
            [](const QString& text) { Print(text); });
    connect(&server, &CameraSimServer::PowerChanged, this,
            [](const QString& text) { Print(text); });
}

void ConsoleLog::Print(const QString& text) {
    const QByteArray line =
        (QTime::currentTime().toString(QStringLiteral("HH:mm:ss.zzz ")) + text + QLatin1Char('\n'))
            .toUtf8();
    std::fwrite(line.constData(), 1, static_cast<std::size_t>(line.size()), stdout);
    std::fflush(stdout);
}

void ConsoleLog::PrintFor(int connection, const QString& text) {
    if (connection == 0) {
        Print(text); // the camera as a whole
        return;
    }
    Print(QStringLiteral("#%1 %2").arg(connection).arg(text));
}

} // namespace kestrel::sim
