#include "camera_job.h"

#include "camera_info.h"
#include "camera_stack.h"
#include "connector.h"
#include "conversation_tap.h"
#include "firmware_run.h"
#include "job_presenter.h"
#include "log_book.h"
#include "outcome_texts.h"
#include "power_cycle_check.h"
#include "session_events.h"
#include "session_io.h"

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
    JobPresenter surface(m_job, m_address.host, tap, &m_stop);
    LinkSettings link = m_plan.link;
    link.cameraPort = m_address.port;
    LogBook log;
    SessionEvents events;
    surface.FollowLog(log);
    surface.Present(events);
    CameraStack camera(SessionIo{log, events, surface}, link, m_plan.run);
    tap.Follow(camera);
    // What follows the look at the camera is this job's choice.
    camera.LookAtCameraOnConnect(false);

    // A stop closes the connection: every wait for the camera ends, and a run
    // being followed ends at its next step.
    QObject stopContext; // in this thread: the stop is carried out here
    QObject::connect(&m_stop, &JobStop::requested, &stopContext, [&camera] {
        camera.Run().Stop();
        camera.Transport().Close();
    });

    QString refusal;
    QObject::connect(&camera.Link(), &Connector::connectFailed,
                     [&refusal](const QString& message) { refusal = message; });
    surface.PostState(JobState::Connecting);
    if (!m_stop.Requested())
        camera.Link().Connect();
    if (!camera.Link().Connected()) {
        result.Set(false, QStringLiteral("connect-failed"),
                   refusal.isEmpty() ? QStringLiteral("The connection to the camera ended before "
                                                      "its information was read.")
                                     : refusal);
    } else {
        result.before = camera.Info().Identity();
        result.runInProgress = camera.Run().UpdateRunning();
        JobEvent connected;
        connected.kind = JobEvent::Kind::Connected;
        connected.identity = result.before;
        connected.runInProgress = result.runInProgress;
        connected.text = camera.Info().Info();
        surface.Post(connected);

        switch (m_plan.command) {
        case Command::Info:
        case Command::Stage:
        case Command::Scan:
            result.Set(true, QStringLiteral("ok"), QString());
            break;
        case Command::Watch:
            if (!result.runInProgress) {
                result.Set(
                    false, QStringLiteral("no-run"),
                    QStringLiteral("The camera is not programming: there is no run to follow."));
                break;
            }
            FollowRun(camera, surface, result);
            break;
        case Command::Update:
            FollowRun(camera, surface, result);
            break;
        }
    }
    if (camera.Link().Connected())
        camera.Link().Disconnect();
    surface.PostState(JobState::Done);
    result.elapsedMs = clock.elapsed();
    return result;
}

void CameraJob::FollowRun(CameraStack& camera, JobPresenter& surface, JobResult& result) {
    FirmwareRun& run = camera.Run();
    QObject::connect(&run, &FirmwareRun::phaseStarted,
                     [&surface](FlashPhase phase) { surface.PostState(StateOf(phase)); });
    // Each poll reads the figures; only a change is news.
    QObject::connect(&run, &FirmwareRun::figuresRead,
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
    QObject::connect(&run, &FirmwareRun::reconnecting,
                     [&surface] { surface.PostState(JobState::Reconnecting); });

    QString told; // what the run told the operator at its end
    QObject::connect(&run, &FirmwareRun::ended,
                     [&told](RunOutcome, const QString& message) { told = message; });

    if (!camera.Run().UpdateRunning())
        surface.PostState(JobState::Starting);
    const RunOutcome outcome = run.RunFirmwareUpdate();
    SetRunResult(result, outcome, told);
    if (!result.ok)
        return;

    if (m_plan.confirmReboot) {
        PowerCycleCheck check(camera, surface,
                              {m_plan.rebootTimeoutMs, m_plan.powerCyclePollMs}, m_stop);
        check.Confirm(result);
        return;
    }
    // The information as the camera gives it now, for the record.
    surface.Wait(m_plan.run.afterRunQueryDelayMs);
    if (camera.Link().Connected() && !camera.Run().UpdateRunning()) {
        camera.Info().QueryCameraInfo();
        result.after = camera.Info().Identity();
    }
}

} // namespace kestrel::cli
