// kestrel-camera-sim: a camera command server on this machine, for trying the
// tool without a camera and for testing how it copes with a faulty one.

#include "camera_sim_server.h"
#include "console_log.h"
#include "sim_cameras.h"
#include "sim_options.h"
#include "stop_signals.h"

#include <QCoreApplication>

#include <cstdio>
#include <memory>

namespace {

void Write(std::FILE* stream, const QString& text) {
    const QByteArray bytes = text.toLocal8Bit();
    std::fwrite(bytes.constData(), 1, static_cast<std::size_t>(bytes.size()), stream);
    std::fflush(stream);
}

} // namespace

int main(int argc, char** argv) {
    using namespace kestrel::sim;

    QCoreApplication app(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("kestrel-camera-sim"));

    const ParsedSimOptions parsed = ParseSimOptions(QCoreApplication::arguments());
    if (parsed.helpRequested) {
        Write(stdout, SimOptionsHelp());
        return 0;
    }
    if (!parsed.error.isEmpty()) {
        Write(stderr,
              QStringLiteral("kestrel-camera-sim: %1\n\n%2").arg(parsed.error, SimOptionsHelp()));
        return 2;
    }
    const SimOptions& options = parsed.options;

    SimCameras cameras(options);
    std::unique_ptr<ConsoleLog> log;
    if (!options.quiet) {
        log = std::make_unique<ConsoleLog>(cameras);
    }
    kestrel::StopSignals stopSignals;
    QObject::connect(&stopSignals, &kestrel::StopSignals::stopRequested, &app,
                     &QCoreApplication::quit);
    if (!stopSignals.Install()) {
        Write(stderr, QStringLiteral("kestrel-camera-sim: cannot catch Ctrl-C and SIGTERM\n"));
    }
    if (!cameras.Listen(options.listenAddress, options.port)) {
        Write(stderr, QStringLiteral("kestrel-camera-sim: cannot listen on %1 port %2: %3\n")
                          .arg(options.listenAddress.toString())
                          .arg(cameras.FailedPort())
                          .arg(cameras.ErrorString()));
        return 1;
    }
    const CameraSimServer& first = cameras.Camera(0);
    if (cameras.Count() == 1) {
        ConsoleLog::Print(QStringLiteral("listening on %1 port %2")
                              .arg(options.listenAddress.toString())
                              .arg(first.Port()));
    } else {
        const CameraSimServer& last = cameras.Camera(cameras.Count() - 1);
        ConsoleLog::Print(
            QStringLiteral("listening on %1 ports %2 to %3: %4 cameras, serial numbers %5 to %6")
                .arg(options.listenAddress.toString())
                .arg(first.Port())
                .arg(last.Port())
                .arg(cameras.Count())
                .arg(QString::fromUtf8(options.serial),
                     QString::fromUtf8(CountedSerial(options.serial, cameras.Count() - 1))));
    }
    const int status = QCoreApplication::exec();
    if (!options.quiet) {
        ConsoleLog::Print(QStringLiteral("stopped"));
    }
    return status;
}
