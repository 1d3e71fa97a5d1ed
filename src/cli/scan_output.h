#pragma once

#include "camera_scanner.h"
#include "scan_options.h"

#include <QElapsedTimer>
#include <QList>

#include <cstdio>

namespace kestrel::cli {

// What "kestrel-flash scan" writes: a table at the end, or a line per
// camera as it answers (plain, JSON or the address alone). Camera text is
// escaped as everywhere on the terminal.
class ScanOutput {
public:
    ScanOutput(std::FILE* stream, const ScanOptions& options);

    void Begin();
    void OnFound(const ScanFinding& finding);
    void End(bool interrupted);

    // The cameras in address order, then port order.
    static void Sort(QList<ScanFinding>& findings);
    // The table of the cameras, with its heading, columns as wide as their
    // widest cell.
    static QString Table(const QList<ScanFinding>& findings);
    static QString PlainLine(const ScanFinding& finding);

private:
    std::FILE* m_stream;
    const ScanOptions& m_options;
    QList<ScanFinding> m_found;
    QElapsedTimer m_clock;
};

} // namespace kestrel::cli
