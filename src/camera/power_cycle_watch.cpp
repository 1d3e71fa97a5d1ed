#include "power_cycle_watch.h"

#include "byte_view.h"
#include "camera.h"
#include "camera_commands.h"
#include "hw_version_rule.h"
#include "power_cycle_rule.h"
#include "run_texts.h"

#include "operator_input.h"

#include <QElapsedTimer>
#include <QScopeGuard>

namespace kestrel {

namespace {

// What the camera gave for its version, quoted and escaped by the version rule.
QString Quoted(const QString& version) {
    return QString::fromStdString(QuotedHwVersion(version.toLatin1().toStdString()));
}

QString Sentence(PowerCycleEnd end, int timeoutMs, const QString& before, const QString& after) {
    const QString seconds = runtexts::Seconds(timeoutMs);
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

PowerCycleWatch::PowerCycleWatch(Camera& camera, OperatorInput& input,
                                 PowerCycleSettings settings)
    : m_camera(camera), m_input(input), m_settings(settings) {}

QString PowerCycleWatch::WaitingLine(int timeoutMs) {
    return QStringLiteral("Power-cycle the camera now: waiting up to %1 s for it to restart with "
                          "the new firmware")
        .arg(runtexts::Seconds(timeoutMs));
}

QString PowerCycleWatch::GoneLine() {
    return QStringLiteral("The camera went away (power cycle); waiting for it to come back");
}

bool PowerCycleWatch::Present() const {
    return m_camera.Connected() && m_camera.ConnectionOpen();
}

bool PowerCycleWatch::Stopped() const {
    return m_camera.Stopped();
}

PowerCycleResult PowerCycleWatch::Confirm(const QString& hardwareBefore) {
    // The camera going away is what the operator was asked for.
    m_camera.ExpectPowerCycle(true);
    const auto expectNoMore = qScopeGuard([this] { m_camera.ExpectPowerCycle(false); });
    QElapsedTimer clock;
    clock.start();
    const QByteArray before = hardwareBefore.toLatin1();
    const PowerCycleRule rule(View(before), 0, m_settings.timeoutMs, m_settings.pollMs);
    PowerCycleResult result;
    const auto end = [&](PowerCycleEnd how) {
        result.end = how;
        result.detail = Sentence(how, rule.TimeoutMs(), hardwareBefore, result.after.hardware);
        return result;
    };

    while (Present() && !Stopped()) {
        const PowerCycleStep step = rule.StillThere(clock.elapsed());
        if (step.end != PowerCycleEnd::None)
            return end(step.end);
        m_input.Wait(step.waitMs);
        // A camera that was switched off does not answer; one that restarted
        // has forgotten the connection and ends it.
        if (Present())
            m_camera.SendCommand(commands::kRunStatus);
    }

    emit gone();
    const auto keepGoing = [&] { return !Stopped() && rule.KeepTrying(clock.elapsed()); };
    while (m_camera.ReconnectUntil(keepGoing, m_settings.pollMs)) {
        // Back, when it tells who it is; otherwise asked again a little later.
        m_camera.ReadIdentity();
        const CameraIdentity& now = m_camera.Identity();
        const QByteArray after = now.hardware.toLatin1();
        const PowerCycleStep step = rule.Reached(!now.IsEmpty(), View(after), clock.elapsed());
        if (step.end != PowerCycleEnd::None) {
            result.after = now;
            return end(step.end);
        }
        m_input.Wait(step.waitMs);
    }
    if (Stopped()) {
        result.stopped = true;
        return result;
    }
    return end(PowerCycleRule::NotBack().end);
}

} // namespace kestrel
