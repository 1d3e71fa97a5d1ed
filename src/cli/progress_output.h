#pragma once

#include "command.h"
#include "job_record.h"

#include <QList>

namespace kestrel::cli {

// Where the jobs' events are shown: live progress bars on a terminal, plain
// lines, or JSON objects. Everything runs in the main thread. The records
// are the runner's: each event has been taken into its job's record before
// the output is told of it.
class ProgressOutput {
public:
    virtual ~ProgressOutput() = default;
    // The plan and the records outlive the output's use of them.
    virtual void Begin(const JobPlan& plan, const QList<JobRecord>& jobs) = 0;
    // stateChanged: the event changed the job's state.
    virtual void OnEvent(const JobEvent& event, bool stateChanged) = 0;
    virtual void End() = 0;
};

} // namespace kestrel::cli
