#pragma once

#include "job_event.h"
#include "job_stop.h"

#include <QDeadlineTimer>

namespace kestrel {
class CameraStack;
} // namespace kestrel

namespace kestrel::cli {

class JobPresenter;

struct PowerCycleSettings {
    int timeoutMs = 300000; // for the whole wait: off, and back again
    int pollMs = 1000;      // how often the camera is looked at
};

// After a finished run: waits for the operator to power-cycle the camera,
// reconnects when it is back and checks that it restarted with a different
// hardware firmware version. The camera going away is seen from the
// connection: it ends, or a status question gets no answer.
class PowerCycleCheck {
public:
    PowerCycleCheck(CameraStack& camera, JobPresenter& surface,
                    PowerCycleSettings settings, const JobStop& stop);

    // Reads result.before; sets result.after and how the check ended.
    void Confirm(JobResult& result);

private:
    bool Connected() const;
    bool WaitUntilGone(JobResult& result, const QDeadlineTimer& deadline);
    bool WaitUntilBack(JobResult& result, const QDeadlineTimer& deadline);

    CameraStack& m_camera;
    JobPresenter& m_surface;
    PowerCycleSettings m_settings;
    const JobStop& m_stop;
};

} // namespace kestrel::cli
