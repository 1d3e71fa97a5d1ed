#pragma once

#include "job_event.h"

namespace kestrel::cli {

// Takes a job's events; may be called from the job's own thread.
class JobSink {
public:
    virtual ~JobSink() = default;
    virtual void Post(const JobEvent& event) = 0;
};

} // namespace kestrel::cli
