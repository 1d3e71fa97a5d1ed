#pragma once

#include "camera_scanner.h"
#include "scan_targets.h"

#include <QString>
#include <QStringList>

#include <optional>
#include <vector>

namespace kestrel::cli {

// What "kestrel-flash scan" is asked for.
struct ScanOptions {
    enum class Form { Table, Plain, Json, Addresses };

    QStringList targetTexts; // as given, for the output
    std::vector<ScanTarget> targets;
    std::uint64_t addresses = 0; // in all targets together
    ScanSettings settings;
    Form form = Form::Table;
};

// The outcome of reading scan's arguments: options, or a usage error.
struct ParsedScan {
    std::optional<ScanOptions> options;
    QString error;
};

// arguments: the program name, then what follows "scan" (help is handled
// by the caller).
ParsedScan ParseScanArguments(const QStringList& arguments);

// The help text of the scan command, without the common end.
QString ScanHelp();

} // namespace kestrel::cli
