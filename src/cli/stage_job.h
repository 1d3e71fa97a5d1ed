#pragma once

#include "cli_options.h"
#include "job_event.h"

namespace kestrel::cli {

// The copy onto the USB stick: the window's three pickers, answered from the
// command line, and its verified copy. Runs in the calling thread; events go
// to the sink as they happen.
JobResult RunStageJob(const CliOptions& options, JobSink& sink);

} // namespace kestrel::cli
