#include "power_cycle_watch.h"

#include "call_later.h"

#include "byte_view.h"
#include "camera.h"
#include "camera_commands.h"
#include "hw_version_rule.h"
#include "run_texts.h"

namespace kestrel {

namespace {

// What the camera gave for its version, quoted and escaped by the version rule.
QString Quoted(const QString& version) {
    return QString::fromStdString(QuotedHwVersion(version.toLatin1().toStdString()));
}

QString Sentence(PowerCycleEnd end, int timeoutMs, const QString& before, const QString& after) {
    const QString seconds = texts::Seconds(timeoutMs);
    switch (end) {
    case PowerCycleEnd::NotPowerCycled:
        return QStringLiteral("The camera was not power-cycled within %1 s: it still runs the old "
                              "firmware. Power-cycle it to load the new one.")
            .arg(seconds);
    case PowerCycleEnd::NotBack:
        return QStringLiteral("The camera went away but did not come back within %1 s of the "
                              "start of the wait: check its power and network.")
            .arg(seconds);
    case PowerCycleEnd::VersionUnknown:
        if (!before.isEmpty())
            return QStringLiteral("The camera is back with hardware firmware %1 (its version "
                                  "before the run could not be read: %2).")
                .arg(after, Quoted(before));
        return QStringLiteral("The camera is back with hardware firmware %1 (its version before "
                              "the run is not known: the run was already in progress when "
                              "connected).")
            .arg(after);
    case PowerCycleEnd::VersionUnread:
        return QStringLiteral("The camera is back but gave no hardware firmware version (read "
                              "as %1): the new firmware is not confirmed. Read its information "
                              "again (kestrel-flash info) before it goes on.")
            .arg(Quoted(after));
    case PowerCycleEnd::VersionUnchanged:
        return QStringLiteral("The camera restarted with the same hardware firmware version "
                              "(%1): the new firmware was not loaded.")
            .arg(after);
    case PowerCycleEnd::VersionChanged:
        return QStringLiteral("The camera restarted with the new hardware firmware: %1 -> %2.")
            .arg(before, after);
    case PowerCycleEnd::None:
        break;
    }
    return QString();
}

} // namespace

PowerCycleWatch::PowerCycleWatch(Camera& camera, PowerCycleSettings settings)
    : m_camera(camera), m_settings(settings) {
    m_timer.setSingleShot(true);
    connect(&m_timer, &QTimer::timeout, this, [this] {
        const std::function<void()> step = std::move(m_afterPause);
        m_afterPause = nullptr;
        if (step)
            step();
    });
    connect(&m_camera, &Camera::reconnectEnded, this, [this](bool back) {
        if (m_stage != Stage::Away)
            return;
        if (back)
            TryToReach();
        else
            After(m_settings.pollMs, [this] { TryToReach(); });
    });
    connect(&m_camera, &Camera::identityRead, this, [this] {
        if (m_stage == Stage::Identifying)
            OnIdentity();
    });
}

QString PowerCycleWatch::WaitingLine(int timeoutMs) {
    return QStringLiteral("Power-cycle the camera now: waiting up to %1 s for it to restart with "
                          "the new firmware")
        .arg(texts::Seconds(timeoutMs));
}

QString PowerCycleWatch::GoneLine() {
    return QStringLiteral("The camera went away (power cycle); waiting for it to come back");
}

bool PowerCycleWatch::Present() const {
    return m_camera.Connected() && m_camera.ConnectionOpen();
}

void PowerCycleWatch::Start(const QString& hardwareBefore) {
    m_clock.start();
    m_before = hardwareBefore;
    const QByteArray before = hardwareBefore.toLatin1();
    m_rule.emplace(View(before), 0, m_settings.timeoutMs, m_settings.pollMs);
    m_result = {};
    m_stage = Stage::Present;
    // The camera going away is what the operator was asked for.
    m_camera.ExpectPowerCycle(true);
    LookAtCamera();
}

void PowerCycleWatch::Stop() {
    if (m_stage == Stage::Idle)
        return;
    m_stage = Stage::Idle; // what the camera still reports is not waited for
    m_timer.stop();
    m_afterPause = nullptr;
    CallLater(this, [this] { EndStopped(); });
}

void PowerCycleWatch::LookAtCamera() {
    if (m_stage == Stage::Idle)
        return; // stopped meanwhile
    if (!Present() || m_camera.Stopped()) {
        m_stage = Stage::Away;
        emit gone();
        TryToReach();
        return;
    }
    const PowerCycleStep step = m_rule->StillThere(m_clock.elapsed());
    if (step.end != PowerCycleEnd::None) {
        End(step.end);
        return;
    }
    After(step.waitMs, [this] {
        // A camera that was switched off does not answer; one that restarted
        // has forgotten the connection and ends it.
        if (!Present()) {
            LookAtCamera();
            return;
        }
        m_camera.SendCommand(commands::kRunStatus, this,
                             [this](const std::optional<QByteArray>&) { LookAtCamera(); });
    });
}

void PowerCycleWatch::TryToReach() {
    if (m_stage == Stage::Idle)
        return; // stopped meanwhile
    if (m_camera.Stopped()) {
        EndStopped();
        return;
    }
    if (!m_rule->KeepTrying(m_clock.elapsed())) {
        End(PowerCycleRule::NotBack().end);
        return;
    }
    // Back, by these attempts or by the operator.
    if (Present()) {
        m_stage = Stage::Identifying;
        m_camera.ReadIdentity();
        return;
    }
    m_camera.Reconnect();
}

void PowerCycleWatch::OnIdentity() {
    // Back, when it tells who it is; otherwise asked again a little later.
    const CameraIdentity& now = m_camera.Identity();
    const QByteArray after = now.hardware.toLatin1();
    const PowerCycleStep step = m_rule->Reached(!now.IsEmpty(), View(after), m_clock.elapsed());
    if (step.end != PowerCycleEnd::None) {
        m_result.after = now;
        End(step.end);
        return;
    }
    m_stage = Stage::Away;
    After(step.waitMs, [this] { TryToReach(); });
}

void PowerCycleWatch::After(int ms, std::function<void()> step) {
    m_afterPause = std::move(step);
    m_timer.start(std::max(0, ms));
}

void PowerCycleWatch::End(PowerCycleEnd end) {
    m_stage = Stage::Idle;
    m_camera.ExpectPowerCycle(false);
    m_result.end = end;
    m_result.detail = Sentence(end, m_rule->TimeoutMs(), m_before, m_result.after.hardware);
    emit finished(m_result);
}

void PowerCycleWatch::EndStopped() {
    m_stage = Stage::Idle;
    m_camera.ExpectPowerCycle(false);
    m_result = {};
    m_result.stopped = true;
    emit finished(m_result);
}

} // namespace kestrel
