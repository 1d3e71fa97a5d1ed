#include "scan_command.h"

#include "terminal.h"
#include "terminal_text.h"

namespace kestrel::cli {

ScanCommand::ScanCommand(const ScanOptions& options)
    : m_options(options), m_output(stdout, options), m_scanner(options.settings),
      // On a terminal, how far the search has got, on one line of the error
      // stream that the results leave alone.
      m_showProgress(IsTerminal(stderr)) {
    connect(&m_scanner, &CameraScanner::cameraFound, this, [this](const ScanFinding& finding) {
        ++m_found;
        m_output.OnFound(finding);
    });
    if (m_showProgress) {
        connect(&m_scanner, &CameraScanner::progress, this, [this](qint64 tried, qint64 total) {
            WriteText(stderr, QStringLiteral("\rsearching: %1 of %2 addresses, %3 found\x1b[K")
                                  .arg(tried)
                                  .arg(total)
                                  .arg(m_found));
        });
    }
    connect(&m_stop, &StopSignals::stopRequested, this, [this] {
        m_interrupted = true;
        m_scanner.Stop();
    });
    connect(&m_scanner, &CameraScanner::finished, this, &ScanCommand::OnFinished);
}

bool ScanCommand::Start() {
    // Without the handlers, Ctrl-C ends the search at once, without its
    // summary: it changes no camera, so it goes on all the same.
    [[maybe_unused]] const bool stoppable = m_stop.Install();
    m_output.Begin();
    return m_scanner.Start(m_options.targets);
}

void ScanCommand::OnFinished() {
    if (m_showProgress)
        WriteText(stderr, QStringLiteral("\r\x1b[K"));
    m_output.End(m_interrupted);
    if (m_interrupted)
        WriteText(stderr, QStringLiteral("kestrel-flash: search interrupted\n"));
    emit finished(m_found > 0 && !m_interrupted ? 0 : 1);
}

} // namespace kestrel::cli
