#pragma once

#include "scan_options.h"

namespace kestrel::cli {

// Runs "kestrel-flash scan": searches the targets, writes the cameras to
// standard output as the options ask, and returns the exit status: 0 when a
// camera was found, 1 when none was or the search was interrupted.
int RunScan(const ScanOptions& options);

} // namespace kestrel::cli
