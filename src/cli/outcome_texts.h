#pragma once

#include "firmware_run.h"
#include "job_event.h"

#include <QString>

namespace kestrel::cli {

// Records how a programming run ended: ok only when the camera reported both
// phases to their end. lastMessage is what the run told the operator.
void SetRunResult(JobResult& result, RunOutcome outcome, const QString& lastMessage);

// A result code in a few words, for the summary table.
QString ResultLabel(const QString& code);

// How a job ended, for its line and the summary: "ok", a success of its own
// ("current", plan's "skip: current"), or "FAILED: " and the reason.
QString ResultText(const JobResult& result);

// A job state in a few words: "erasing", "waiting for the power cycle".
QString StateLabel(JobState state);

} // namespace kestrel::cli
