#pragma once

#include "camera_address.h"
#include "cli_options.h"
#include "job_event.h"
#include "job_stop.h"
#include "link_settings.h"
#include "run_settings.h"

namespace kestrel {
class CameraStack;
} // namespace kestrel

namespace kestrel::cli {

class JobPresenter;
class RecordBook;

// What every camera job of one command does.
struct JobPlan {
    Command command = Command::Info;
    bool confirmReboot = false;
    int rebootTimeoutMs = 300000;
    int powerCyclePollMs = 1000; // how often the camera is looked at meanwhile
    LinkSettings link;           // the port is each camera's own
    RunSettings run;
    RecordBook* records = nullptr; // each camera's conversation, with --log-dir
    QString targetHwVersion;       // update, plan: the version wanted; empty: none
    bool reinstall = false;        // program a camera already at the target
};

// One camera's work for info, update or watch, start to end, in the calling
// thread: connect, read the information, follow or start the programming run
// with the same code the window uses, optionally wait for the power cycle,
// then say goodbye. Events go to the sink as they happen; the result is also
// returned. A stop request ends every wait at once: the connection is closed
// without a word to the camera and the job returns.
class CameraJob {
public:
    CameraJob(int job, CameraAddress address, JobPlan plan, JobSink& sink, const JobStop& stop);

    JobResult Run();

private:
    void FollowRun(CameraStack& camera, JobPresenter& surface, JobResult& result);

    int m_job;
    CameraAddress m_address;
    JobPlan m_plan;
    JobSink& m_sink;
    const JobStop& m_stop;
};

} // namespace kestrel::cli
