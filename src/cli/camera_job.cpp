#include "camera_job.h"

#include "conversation_tap.h"
#include "history_path.h"
#include "hw_version_rule.h"
#include "run_texts.h"

namespace kestrel::cli {

namespace {

JobState StateOf(FlashPhase phase) {
    return phase == FlashPhase::Erase ? JobState::Erasing : JobState::Programming;
}

// What stopping the job meant, by where it stood.
StopPoint StopPointOf(JobState state) {
    switch (state) {
    case JobState::Starting:
    case JobState::Erasing:
    case JobState::Programming:
    case JobState::Reconnecting:
        return StopPoint::DuringRun;
    case JobState::WaitingForPowerCycle:
    case JobState::WaitingForCamera:
        return StopPoint::AfterRun;
    default:
        return StopPoint::BeforeRun;
    }
}

std::string Latin1(const QString& text) {
    return text.toLatin1().toStdString();
}

// Why a camera whose version (hardware, as read) cannot be read is not
// programmed to the target.
QString VersionNotRead(const QString& hardware, const QString& target) {
    return QStringLiteral("The camera's hardware firmware version could not be read (read as "
                          "%1), so it cannot be checked against the target %2: it is not "
                          "programmed.")
        .arg(QString::fromStdString(QuotedHwVersion(Latin1(hardware))), target);
}

QString StoppedText(VerdictReason reason, const QString& address) {
    if (reason == VerdictReason::StoppedDuringRun)
        return QStringLiteral("Interrupted while following the programming: the camera goes on "
                              "programming its flash memory. Do NOT power it off; follow it to "
                              "its end with: kestrel-flash watch %1")
            .arg(address);
    if (reason == VerdictReason::StoppedAfterRun)
        return QStringLiteral("Interrupted while waiting for the power cycle; the programming "
                              "itself had ended.");
    return QStringLiteral("Interrupted before the programming was started.");
}

} // namespace

CameraJob::CameraJob(int job, CameraAddress address, const JobPlan& plan, JobSink& sink)
    : m_job(job), m_address(std::move(address)), m_plan(plan),
      m_tap(std::make_unique<ConversationTap>(plan.records, job, sink)), m_surface(job, *m_tap),
      m_camera(m_log, m_events, plan.link, plan.run), m_target(Latin1(plan.targetHwVersion)) {
    m_facts.work = plan.command->work;
    m_facts.target = m_target;
    m_facts.reinstall = plan.reinstall;
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
    FollowRunSignals();
}

void CameraJob::FollowRunSignals() {
    connect(&m_camera, &Camera::announced, this, [this](bool alreadyRunning) {
        m_surface.Say(texts::kBanner +
                      (alreadyRunning ? texts::kAlreadyRunning : texts::kStarting));
        HistoryRunBegun(alreadyRunning);
    });
    connect(&m_camera, &Camera::phaseStarted, this, [this](FlashPhase phase) {
        m_surface.Say(phase == FlashPhase::Erase ? texts::kEraseHeading : texts::kProgramHeading);
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
    m_facts.stopped = StopPointOf(m_surface.State());
    // The connection closes: every wait for the camera ends, and a run being
    // followed ends as interrupted.
    m_camera.Stop();
    if (m_watch)
        m_watch->Stop();
    if (m_pause.isActive()) {
        m_pause.stop();
        ReadAfterRun();
    }
    if (m_askingHistory) {
        m_askingHistory = false; // its answer is not waited for
        Finish();
    }
}

void CameraJob::OnConnectEnded(bool connected) {
    if (!connected) {
        Finish();
        return;
    }
    m_facts.connected = true;
    m_result.before = m_camera.Identity();
    m_hardwareBefore = Latin1(m_result.before.hardware);
    m_facts.hardwareBefore = m_hardwareBefore;
    m_result.runInProgress = m_facts.runInProgress = m_camera.UpdateRunning();
    JobEvent event;
    event.kind = JobEvent::Kind::Connected;
    event.identity = m_result.before;
    event.runInProgress = m_result.runInProgress;
    event.text = m_camera.Info();
    m_surface.Post(event);
    if (AsksHistory()) {
        AskHistory();
        return;
    }
    Proceed();
}

bool CameraJob::AsksHistory() const {
    // Only when the answer could change the result.
    JobFacts ifPending = m_facts;
    ifPending.powerCyclePending = true;
    return DecideJob(ifPending).reason == VerdictReason::PowerCyclePending &&
           !m_result.before.serial.isEmpty();
}

void CameraJob::AskHistory() {
    m_askingHistory = true;
    connect(&m_pendingCheck, &PendingCheck::answered, this, &CameraJob::OnHistoryAnswer);
    m_pendingCheck.Ask(HistoryPath(m_plan.historyFile), m_result.before.serial,
                       m_result.before.hardware, m_plan.targetHwVersion);
}

void CameraJob::OnHistoryAnswer(const PendingCheck::Answer& answer) {
    if (!m_askingHistory)
        return; // stopped meanwhile
    m_askingHistory = false;
    if (!answer.failure.isEmpty())
        m_surface.PostMessage(answer.failure +
                              QStringLiteral(" A camera that waits for its power cycle after an "
                                             "earlier run is not recognised."));
    m_pendingText = answer.pending;
    m_facts.powerCyclePending = !answer.pending.isEmpty();
    Proceed();
}

void CameraJob::Proceed() {
    const JobVerdict verdict = DecideJob(m_facts);
    if (verdict.reason == VerdictReason::AwaitingRun) {
        FollowRun();
        return;
    }
    // update: a camera left alone because of its version, or because it
    // waits for its power cycle, is told why at once.
    if (m_facts.work == CameraWork::Update)
        Tell(verdict);
    Finish();
}

void CameraJob::FollowRun() {
    if (!m_camera.UpdateRunning())
        m_surface.PostState(JobState::Starting);
    m_following = true;
    const std::optional<RunOutcome> atOnce =
        m_facts.work == CameraWork::Watch ? m_camera.Watch() : m_camera.Update();
    if (atOnce)
        OnRunEnded(*atOnce, QString());
}

void CameraJob::OnRunEnded(RunOutcome outcome, const QString& message) {
    if (!m_following)
        return;
    m_following = false;
    HistoryRunCutShort(outcome);
    m_facts.runEnd = outcome;
    m_facts.runSaidWhy = !message.isEmpty();
    m_runMessage = message;
    if (outcome != RunOutcome::Finished) {
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
    if (cycle.stopped) {
        Finish();
        return;
    }
    m_facts.powerCycle = cycle.end;
    m_cycleDetail = cycle.detail;
    m_result.after = cycle.after;
    m_hardwareAfter = Latin1(cycle.after.hardware);
    m_facts.hardwareAfter = m_hardwareAfter;
    m_facts.identifiedAfter = !cycle.after.IsEmpty();
    // What the wait found is told first; with a target, whether the camera
    // came back with it, when that decides.
    JobFacts targeted = m_facts;
    targeted.stopped.reset();
    JobFacts untargeted = targeted;
    untargeted.target = {};
    const JobVerdict cycled = DecideJob(untargeted);
    HistoryPowerCycle(cycle, cycled.code);
    Tell(cycled);
    const JobVerdict verdict = DecideJob(targeted);
    if (verdict.reason == VerdictReason::WrongVersion ||
        verdict.reason == VerdictReason::TargetReached)
        Tell(verdict);
    Finish();
}

QString CameraJob::Detail(const JobVerdict& verdict) const {
    const QString& target = m_plan.targetHwVersion;
    switch (verdict.reason) {
    case VerdictReason::None:
    case VerdictReason::AwaitingRun:
        return QString();
    case VerdictReason::CodeText:
        return TextOf(verdict.code);
    case VerdictReason::Refusal:
        return m_refusal.isEmpty() ? TextOf(ResultCode::ConnectFailed) : m_refusal;
    case VerdictReason::RunMessage:
        return m_runMessage;
    case VerdictReason::PowerCycle:
        return m_cycleDetail;
    case VerdictReason::AlreadyCurrent:
        return QStringLiteral("The camera already runs hardware firmware %1, the target "
                              "version: nothing was changed.")
            .arg(m_result.before.hardware);
    case VerdictReason::VersionNotRead:
        return VersionNotRead(m_result.before.hardware, target);
    case VerdictReason::WrongVersion:
        return QStringLiteral("wrong version: camera runs %1, wanted %2")
            .arg(m_result.after.hardware, target);
    case VerdictReason::TargetReached:
        return QStringLiteral("The camera restarted with hardware firmware %1, the target "
                              "version.")
            .arg(m_result.after.hardware);
    case VerdictReason::RunInProgress:
        return QStringLiteral("run in progress");
    case VerdictReason::PowerCyclePending:
        return m_pendingText;
    case VerdictReason::VersionDecision:
        return QString::fromLatin1(verdict.decision.data(),
                                   static_cast<qsizetype>(verdict.decision.size()));
    case VerdictReason::StoppedBeforeRun:
    case VerdictReason::StoppedDuringRun:
    case VerdictReason::StoppedAfterRun:
        return StoppedText(verdict.reason, m_address.Text());
    }
    return QString();
}

void CameraJob::Tell(const JobVerdict& verdict) {
    // A failure's reason is told once more in the summary; a message line
    // that repeats it is left out there.
    if (Succeeded(verdict.code))
        m_surface.PostLog(Detail(verdict));
    else
        m_surface.PostMessage(Detail(verdict));
}

void CameraJob::Finish() {
    if (m_ending)
        return;
    m_ending = true;
    if (m_facts.work == CameraWork::Plan) {
        // What update would do, whether or not the job was stopped meanwhile.
        JobFacts asked = m_facts;
        asked.stopped.reset();
        const JobVerdict verdict = DecideJob(asked);
        JobEvent event;
        event.kind = JobEvent::Kind::Plan;
        event.identity = m_result.before;
        event.runInProgress = m_result.runInProgress;
        event.result = m_result;
        event.result.Set(verdict.code, Detail(verdict));
        m_surface.Post(event);
    }
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
    const JobVerdict verdict = DecideJob(m_facts);
    m_result.Set(verdict.code, Detail(verdict));
    HistoryRunEnded(verdict.code);
    JobEvent finished;
    finished.kind = JobEvent::Kind::Finished;
    finished.result = m_result;
    m_surface.Post(finished);
}

} // namespace kestrel::cli
