#include "camera_job.h"

#include "conversation_tap.h"
#include "plan_job.h"
#include "run_texts.h"
#include "version_target.h"

namespace kestrel::cli {

namespace {

JobState StateOf(FlashPhase phase) {
    return phase == FlashPhase::Erase ? JobState::Erasing : JobState::Programming;
}

} // namespace

CameraJob::CameraJob(int job, CameraAddress address, JobPlan plan, JobSink& sink)
    : m_job(job), m_address(std::move(address)), m_plan(plan),
      m_tap(std::make_unique<ConversationTap>(plan.records, job, sink)), m_surface(job, *m_tap),
      m_camera(m_log, m_events, plan.link, plan.run) {
    m_surface.Present(m_events);
    m_tap->Follow(m_camera);
    m_pause.setSingleShot(true);
    connect(&m_pause, &QTimer::timeout, this, &CameraJob::ReadAfterRun);

    // What the camera says, as the window's log has it.
    connect(&m_camera, &Camera::connected, this, [this] {
        m_surface.Say(Camera::ConnectionLine(m_camera.CameraNumber(), m_camera.Address()));
    });
    connect(&m_camera, &Camera::connectionDropped, this,
            [this](const QString& reason) { m_surface.Say(Camera::LossLine(reason)); });
    connect(&m_camera, &Camera::connectFailed, this,
            [this](const QString& message) { m_refusal = message; });
    connect(&m_camera, &Camera::connectEnded, this, &CameraJob::OnConnectEnded);

    // The run.
    connect(&m_camera, &Camera::announced, this, [this](bool alreadyRunning) {
        m_surface.Say(texts::kBanner +
                      (alreadyRunning ? texts::kAlreadyRunning : texts::kStarting));
    });
    connect(&m_camera, &Camera::phaseStarted, this, [this](FlashPhase phase) {
        m_surface.Say(phase == FlashPhase::Erase ? texts::kEraseHeading
                                                 : texts::kProgramHeading);
        m_surface.PostState(StateOf(phase));
    });
    connect(&m_camera, &Camera::phaseEnded, this, [this] { m_surface.Say(texts::kPhaseOk); });
    // Each poll reads the figures; only a change is news.
    connect(&m_camera, &Camera::figuresRead, this, [this](FlashPhase phase, int done, int total) {
        JobEvent& last = m_lastFigures;
        const JobState state = StateOf(phase);
        if (last.kind == JobEvent::Kind::Figures && last.state == state && last.done == done &&
            last.total == total)
            return;
        last.kind = JobEvent::Kind::Figures;
        last.state = state;
        last.done = done;
        last.total = total;
        m_surface.Post(last);
    });
    connect(&m_camera, &Camera::reconnecting, this, [this](int windowMs) {
        m_surface.Say(texts::TryingToReconnect(windowMs));
        m_surface.PostState(JobState::Reconnecting);
    });
    connect(&m_camera, &Camera::reconnected, this,
            [this](const QString& address) { m_surface.Say(texts::Reconnected(address)); });
    // Changed: the start command went out in this job.
    connect(&m_camera, &Camera::startSent, this, [this] { m_result.changed = true; });
    connect(&m_camera, &Camera::runEnded, this,
            [this](RunOutcome outcome, const QString& message, const QString& logText) {
                m_surface.Say(logText);
                OnRunEnded(outcome, message);
            });
    connect(&m_camera, &Camera::identityRead, this, [this] {
        if (!m_reading)
            return;
        m_reading = false;
        m_result.after = m_camera.Identity();
        Finish();
    });
    connect(&m_camera, &Camera::disconnected, this, [this] {
        if (m_ending)
            End();
    });
}

CameraJob::~CameraJob() = default;

void CameraJob::Start() {
    m_clock.start();
    m_surface.PostState(JobState::Connecting);
    // What follows the look at the camera is this job's choice.
    m_camera.Connect(m_address.host, m_address.port, Camera::FoundRun::Report);
}

void CameraJob::Stop() {
    if (m_stopped || m_ended)
        return;
    m_stopped = true;
    // The connection closes: every wait for the camera ends, and a run being
    // followed ends as interrupted.
    m_camera.Stop();
    if (m_watch)
        m_watch->Stop();
    if (m_pause.isActive()) {
        m_pause.stop();
        ReadAfterRun();
    }
}

void CameraJob::OnConnectEnded(bool connected) {
    if (!connected) {
        m_result.Set(ResultCode::ConnectFailed,
                     m_refusal.isEmpty() ? TextOf(ResultCode::ConnectFailed) : m_refusal);
        Finish();
        return;
    }
    m_result.before = m_camera.Identity();
    m_result.runInProgress = m_camera.UpdateRunning();
    JobEvent event;
    event.kind = JobEvent::Kind::Connected;
    event.identity = m_result.before;
    event.runInProgress = m_result.runInProgress;
    event.text = m_camera.Info();
    m_surface.Post(event);

    switch (m_plan.command) {
    case Command::Info:
    case Command::Stage:
    case Command::Scan:
    case Command::Verify:
        m_result.Set(ResultCode::Ok, QString());
        break;
    case Command::Watch:
        if (!m_result.runInProgress) {
            m_result.Set(ResultCode::NoRun, TextOf(ResultCode::NoRun));
            break;
        }
        FollowRun(true);
        return;
    case Command::Update:
        // A camera that already runs the target version is left alone, and
        // so is one whose version cannot be checked against the target.
        if (!m_result.runInProgress && SkipByVersion(m_result, m_plan)) {
            if (m_result.Ok())
                m_surface.PostLog(m_result.detail);
            else
                m_surface.PostMessage(m_result.detail);
            break;
        }
        FollowRun(false);
        return;
    case Command::Plan:
        break; // said below, reached or not
    }
    Finish();
}

void CameraJob::FollowRun(bool watch) {
    if (!m_camera.UpdateRunning())
        m_surface.PostState(JobState::Starting);
    m_following = true;
    const std::optional<RunOutcome> atOnce = watch ? m_camera.Watch() : m_camera.Update();
    if (atOnce)
        OnRunEnded(*atOnce, QString());
}

void CameraJob::OnRunEnded(RunOutcome outcome, const QString& message) {
    if (!m_following)
        return;
    m_following = false;
    m_result.SetRunEnd(outcome, message);
    if (!m_result.Ok()) {
        Finish();
        return;
    }
    if (m_plan.confirmReboot) {
        ConfirmPowerCycle();
        return;
    }
    // The information as the camera gives it now, for the record.
    m_pause.start(m_plan.run.afterRunQueryDelayMs);
}

void CameraJob::ReadAfterRun() {
    if (!m_camera.Connected() || m_camera.UpdateRunning()) {
        Finish();
        return;
    }
    m_reading = true;
    m_camera.ReadIdentity();
}

void CameraJob::ConfirmPowerCycle() {
    m_watch = std::make_unique<PowerCycleWatch>(
        m_camera, PowerCycleSettings{m_plan.rebootTimeoutMs, m_plan.powerCyclePollMs});
    connect(m_watch.get(), &PowerCycleWatch::gone, this, [this] {
        m_surface.PostState(JobState::WaitingForCamera);
        m_surface.PostLog(PowerCycleWatch::GoneLine());
    });
    connect(m_watch.get(), &PowerCycleWatch::finished, this, &CameraJob::OnPowerCycle);
    m_surface.PostState(JobState::WaitingForPowerCycle);
    m_surface.PostLog(PowerCycleWatch::WaitingLine(m_plan.rebootTimeoutMs));
    m_watch->Start(m_result.before.hardware);
}

void CameraJob::OnPowerCycle(const PowerCycleResult& cycle) {
    JobResult& result = m_result;
    if (cycle.stopped) {
        result.Set(ResultCode::Interrupted, QString());
        Finish();
        return;
    }
    switch (cycle.end) {
    case PowerCycleEnd::NotPowerCycled:
        result.Set(ResultCode::NoPowerCycle, cycle.detail);
        m_surface.PostMessage(result.detail);
        Finish();
        return;
    case PowerCycleEnd::NotBack:
        result.Set(ResultCode::NotBack, cycle.detail);
        m_surface.PostMessage(result.detail);
        Finish();
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
        m_surface.PostLog(result.detail);
    else
        m_surface.PostMessage(result.detail);
    // With a target, only that version will do.
    const QString checked = result.detail;
    if (!TargetReached(result, m_plan))
        m_surface.PostMessage(result.detail);
    else if (result.detail != checked)
        m_surface.PostLog(result.detail);
    Finish();
}

void CameraJob::Finish() {
    if (m_ending)
        return;
    m_ending = true;
    if (m_plan.command == Command::Plan)
        m_surface.Post(PlanCamera(m_result, m_plan));
    if (!m_camera.Connected()) {
        End();
        return;
    }
    m_camera.Disconnect(); // disconnected() ends the job
}

void CameraJob::End() {
    if (m_ended)
        return;
    m_ended = true;
    m_surface.PostState(JobState::Done);
    m_result.elapsedMs = m_clock.elapsed();
    emit finished(m_job, m_result);
}

} // namespace kestrel::cli
