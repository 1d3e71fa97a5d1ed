#pragma once

#include "cli_options.h"
#include "job_sink.h"

namespace kestrel::cli {

// The copy onto the USB stick: the files and the folder named on the command
// line, copied and verified as the window's Copy does it. Runs in the
// calling thread; events go to the sink as they happen.
JobResult RunStageJob(const CliOptions& options, JobSink& sink);

} // namespace kestrel::cli
