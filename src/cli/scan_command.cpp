#include "scan_command.h"

#include "camera_scanner.h"
#include "progress_output.h"
#include "scan_output.h"
#include "stop_signals.h"
#include "terminal_text.h"
#include "terminal.h"

#include <QEventLoop>

namespace kestrel::cli {

int RunScan(const ScanOptions& options) {
    ScanOutput output(stdout, options);
    CameraScanner scanner(options.settings);
    // On a terminal, how far the search has got, on one line of the error
    // stream that the results leave alone.
    const bool showProgress = IsTerminal(stderr);
    int found = 0;
    QObject::connect(&scanner, &CameraScanner::cameraFound, &scanner,
                     [&](const ScanFinding& finding) {
                         ++found;
                         output.OnFound(finding);
                     });
    if (showProgress) {
        QObject::connect(&scanner, &CameraScanner::progress, &scanner,
                         [&](qint64 tried, qint64 total) {
                             WriteText(stderr, QStringLiteral("\rsearching: %1 of %2 addresses, "
                                                              "%3 found\x1b[K")
                                                   .arg(tried)
                                                   .arg(total)
                                                   .arg(found));
                         });
    }
    bool interrupted = false;
    StopSignals stop;
    QObject::connect(&stop, &StopSignals::stopRequested, &scanner, [&] {
        interrupted = true;
        scanner.Stop();
    });
    // Without the handlers, Ctrl-C ends the search at once, without its
    // summary: it changes no camera, so it goes on all the same.
    [[maybe_unused]] const bool stoppable = stop.Install();

    QEventLoop loop;
    QObject::connect(&scanner, &CameraScanner::finished, &loop, &QEventLoop::quit);
    output.Begin();
    if (!scanner.Start(options.targets))
        return 1;
    loop.exec();
    if (showProgress)
        WriteText(stderr, QStringLiteral("\r\x1b[K"));
    output.End(interrupted);
    if (interrupted)
        WriteText(stderr, QStringLiteral("kestrel-flash: search interrupted\n"));
    return found > 0 && !interrupted ? 0 : 1;
}

} // namespace kestrel::cli
