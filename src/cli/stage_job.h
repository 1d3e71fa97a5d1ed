#pragma once

#include "cli_options.h"
#include "job_sink.h"

namespace kestrel::cli {

// The copy onto the USB stick: the files and the folder named on the command
// line, copied and verified as the window's Copy does it. Runs in the
// calling thread; events go to the sink as they happen.
JobResult RunStageJob(const CliOptions& options, JobSink& sink);

// The verdict on the two files named on the command line without copying
// them: the checks the copy makes before the stick is touched (checksums,
// signature, the site's policy), telling how far the reading is. Runs in the
// calling thread.
JobResult RunVerifyJob(const CliOptions& options, JobSink& sink);
// The job's name in the output: "HWNAME + SWNAME".
QString VerifyJobName(const CliOptions& options);

} // namespace kestrel::cli
