#include "camera_job.h"

#include "camera.h"
#include "camera_commands.h"
#include "conversation_tap.h"
#include "job_presenter.h"
#include "log_book.h"
#include "plan_job.h"
#include "power_cycle_watch.h"
#include "session_events.h"
#include "session_io.h"
#include "version_target.h"

#include <QElapsedTimer>

namespace kestrel::cli {

namespace {

JobState StateOf(FlashPhase phase) {
    return phase == FlashPhase::Erase ? JobState::Erasing : JobState::Programming;
}

} // namespace

CameraJob::CameraJob(int job, CameraAddress address, JobPlan plan, JobSink& sink,
                     const JobStop& stop)
    : m_job(job), m_address(std::move(address)), m_plan(plan), m_sink(sink), m_stop(stop) {}

JobResult CameraJob::Run() {
    QElapsedTimer clock;
    clock.start();
    JobResult result;
    ConversationTap tap(m_plan.records, m_job, m_sink);
    JobPresenter surface(m_job, tap, &m_stop);
    LinkSettings link = m_plan.link;
    link.cameraPort = m_address.port;
    LogBook log;
    SessionEvents events;
    surface.FollowLog(log);
    surface.Present(events);
    Camera camera(SessionIo{log, events, surface}, link, m_plan.run);
    tap.Follow(camera);

    QString refusal;
    // The connections below end with this object, before the locals they use.
    // It lives in this thread: a stop is carried out here.
    QObject context;
    // A stop closes the connection: every wait for the camera ends, and a run
    // being followed ends at its next step.
    QObject::connect(&m_stop, &JobStop::requested, &context, [&camera] { camera.Stop(); });
    QObject::connect(&camera, &Camera::connectFailed, &context,
                     [&refusal](const QString& message) { refusal = message; });
    surface.PostState(JobState::Connecting);
    // What follows the look at the camera is this job's choice.
    if (!m_stop.Requested())
        camera.Connect(m_address.host, Camera::FoundRun::Report);
    if (!camera.Connected()) {
        result.Set(ResultCode::ConnectFailed,
                   refusal.isEmpty() ? TextOf(ResultCode::ConnectFailed) : refusal);
    } else {
        result.before = camera.Identity();
        result.runInProgress = camera.UpdateRunning();
        JobEvent connected;
        connected.kind = JobEvent::Kind::Connected;
        connected.identity = result.before;
        connected.runInProgress = result.runInProgress;
        connected.text = camera.Info();
        surface.Post(connected);

        switch (m_plan.command) {
        case Command::Info:
        case Command::Stage:
        case Command::Scan:
        case Command::Verify:
            result.Set(ResultCode::Ok, QString());
            break;
        case Command::Watch:
            if (!result.runInProgress) {
                result.Set(ResultCode::NoRun, TextOf(ResultCode::NoRun));
                break;
            }
            FollowRun(camera, surface, result, &Camera::Watch);
            break;
        case Command::Update:
            // A camera that already runs the target version is left alone, and
            // so is one whose version cannot be checked against the target.
            if (!result.runInProgress && SkipByVersion(result, m_plan)) {
                if (result.Ok())
                    surface.PostLog(result.detail);
                else
                    surface.PostMessage(result.detail);
                break;
            }
            FollowRun(camera, surface, result, &Camera::Update);
            break;
        case Command::Plan:
            break; // said below, reached or not
        }
    }
    if (m_plan.command == Command::Plan)
        surface.Post(PlanCamera(result, m_plan));
    if (camera.Connected())
        camera.Disconnect();
    surface.PostState(JobState::Done);
    result.elapsedMs = clock.elapsed();
    return result;
}

void CameraJob::FollowRun(Camera& camera, JobPresenter& surface, JobResult& result,
                          RunOutcome (Camera::*follow)()) {
    QString told; // what the run told the operator at its end
    // The connections below end with this call, before told goes.
    QObject context;
    QObject::connect(&camera, &Camera::phaseStarted, &context,
                     [&surface](FlashPhase phase) { surface.PostState(StateOf(phase)); });
    // Each poll reads the figures; only a change is news.
    QObject::connect(&camera, &Camera::figuresRead, &context,
                     [&surface, last = JobEvent()](FlashPhase phase, int done, int total) mutable {
                         const JobState state = StateOf(phase);
                         if (last.kind == JobEvent::Kind::Figures && last.state == state &&
                             last.done == done && last.total == total)
                             return;
                         last.kind = JobEvent::Kind::Figures;
                         last.state = state;
                         last.done = done;
                         last.total = total;
                         surface.Post(last);
                     });
    QObject::connect(&camera, &Camera::reconnecting, &context,
                     [&surface] { surface.PostState(JobState::Reconnecting); });

    // Changed: the start command went out in this job.
    QObject::connect(&camera, &Camera::lineSent, &context, [&result](const QByteArray& bytes) {
        if (bytes == commands::kStartRun + "\r\n")
            result.changed = true;
    });

    QObject::connect(&camera, &Camera::runEnded, &context,
                     [&told](RunOutcome, const QString& message) { told = message; });

    if (!camera.UpdateRunning())
        surface.PostState(JobState::Starting);
    const RunOutcome outcome = (camera.*follow)();
    result.SetRunEnd(outcome, told);
    if (!result.Ok())
        return;

    if (m_plan.confirmReboot) {
        ConfirmPowerCycle(camera, surface, result);
        // With a target, only that version will do.
        const QString checked = result.detail;
        if (!TargetReached(result, m_plan))
            surface.PostMessage(result.detail);
        else if (result.detail != checked)
            surface.PostLog(result.detail);
        return;
    }
    // The information as the camera gives it now, for the record.
    surface.Wait(m_plan.run.afterRunQueryDelayMs);
    if (camera.Connected() && !camera.UpdateRunning()) {
        camera.ReadIdentity();
        result.after = camera.Identity();
    }
}

void CameraJob::ConfirmPowerCycle(Camera& camera, JobPresenter& surface, JobResult& result) {
    PowerCycleWatch watch(camera, surface, {m_plan.rebootTimeoutMs, m_plan.powerCyclePollMs});
    QObject::connect(&watch, &PowerCycleWatch::gone, &watch, [&surface] {
        surface.PostState(JobState::WaitingForCamera);
        surface.PostLog(PowerCycleWatch::GoneLine());
    });
    surface.PostState(JobState::WaitingForPowerCycle);
    surface.PostLog(PowerCycleWatch::WaitingLine(m_plan.rebootTimeoutMs));
    const PowerCycleResult cycle = watch.Confirm(result.before.hardware);
    if (cycle.stopped) {
        result.Set(ResultCode::Interrupted, QString());
        return;
    }
    switch (cycle.end) {
    case PowerCycleEnd::NotPowerCycled:
        result.Set(ResultCode::NoPowerCycle, cycle.detail);
        surface.PostMessage(result.detail);
        return;
    case PowerCycleEnd::NotBack:
        result.Set(ResultCode::NotBack, cycle.detail);
        surface.PostMessage(result.detail);
        return;
    case PowerCycleEnd::VersionUnchanged:
        result.Set(ResultCode::VersionUnchanged, cycle.detail);
        break;
    case PowerCycleEnd::VersionUnread:
        result.Set(ResultCode::VersionUnread, cycle.detail);
        break;
    case PowerCycleEnd::None:
    case PowerCycleEnd::VersionChanged:
    case PowerCycleEnd::VersionUnknown:
        result.Set(ResultCode::Ok, cycle.detail);
        break;
    }
    result.after = cycle.after;
    // A failure's reason is told once: in the summary, not also as a log line.
    if (result.Ok())
        surface.PostLog(result.detail);
    else
        surface.PostMessage(result.detail);
}

} // namespace kestrel::cli
