#pragma once

#include "camera_info_query.h"
#include "job_result.h"
#include "job_state.h"

#include <QString>

namespace kestrel::cli {

// Something a job tells the operator. Jobs run in threads of their own; the
// events reach the output in the order each job sent them.
struct JobEvent {
    enum class Kind {
        State,     // state
        Figures,   // state (Erasing or Programming), done, total
        Percent,   // percent, the progress bar's position
        Connected, // identity, runInProgress
        Log,       // text: one complete line of the job's log
        Message,   // text: what the window would show in a message box
        Finished,  // result
        Plan,      // result: what update would do (code the action, detail why)
    };
    int job = 0;
    Kind kind = Kind::State;
    JobState state = JobState::Connecting;
    int done = 0;
    int total = 0;
    int percent = 0;
    QString text;
    CameraIdentity identity;
    bool runInProgress = false;
    JobResult result;
};

} // namespace kestrel::cli
