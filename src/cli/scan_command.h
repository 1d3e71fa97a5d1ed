#pragma once

#include "camera_scanner.h"
#include "scan_options.h"
#include "scan_output.h"
#include "stop_signals.h"

#include <QObject>

namespace kestrel::cli {

// "kestrel-flash scan": searches the targets, writes the cameras to
// standard output as the options ask, and tells the exit status by
// finished(): 0 when a camera was found, 1 when none was or the search was
// interrupted. Runs on the calling thread's event loop.
class ScanCommand : public QObject {
    Q_OBJECT
public:
    explicit ScanCommand(const ScanOptions& options);

    // Starts the search; false when there is nothing to search.
    bool Start();

signals:
    void finished(int exitCode);

private:
    void OnFinished();

    ScanOptions m_options;
    ScanOutput m_output;
    CameraScanner m_scanner;
    StopSignals m_stop;
    bool m_showProgress = false;
    bool m_interrupted = false;
    int m_found = 0;
};

} // namespace kestrel::cli
