#include "power_cycle_check.h"

#include "camera_commands.h"
#include "camera_info.h"
#include "camera_stack.h"
#include "command_channel.h"
#include "connector.h"
#include "job_presenter.h"
#include "line_transport.h"
#include "run_texts.h"

#include <QDeadlineTimer>

#include <algorithm>

namespace kestrel::cli {

namespace {

QString Seconds(int ms) {
    return runtexts::Seconds(ms);
}

} // namespace

PowerCycleCheck::PowerCycleCheck(CameraStack& camera, JobPresenter& surface,
                                 PowerCycleSettings settings, const JobStop& stop)
    : m_camera(camera), m_surface(surface), m_settings(settings), m_stop(stop) {}

bool PowerCycleCheck::Connected() const {
    return m_camera.Link().Connected() && m_camera.Transport().IsOpen();
}

void PowerCycleCheck::Confirm(JobResult& result) {
    const QDeadlineTimer deadline(m_settings.timeoutMs);
    m_surface.PostState(JobState::WaitingForPowerCycle);
    m_surface.PostLog(QStringLiteral("Power-cycle the camera now: waiting up to %1 s for it to "
                                     "restart with the new firmware")
                          .arg(Seconds(m_settings.timeoutMs)));
    if (!WaitUntilGone(result, deadline) || !WaitUntilBack(result, deadline))
        return;

    result.after = m_camera.Info().Identity();
    const QString before = result.before.hardware;
    const QString after = result.after.hardware;
    if (before.isEmpty()) {
        result.Set(ResultCode::Ok,
                   QStringLiteral("The camera is back with hardware firmware %1 (its version "
                                  "before the run is not known: the run was already in "
                                  "progress when connected).")
                       .arg(after));
    } else if (after == before) {
        result.Set(ResultCode::VersionUnchanged,
                   QStringLiteral("The camera restarted with the same hardware firmware version "
                                  "(%1): the new firmware was not loaded.")
                       .arg(after));
    } else {
        result.Set(ResultCode::Ok,
                   QStringLiteral("The camera restarted with the new hardware firmware: %1 -> %2.")
                       .arg(before, after));
    }
    m_surface.PostLog(result.detail);
}

bool PowerCycleCheck::WaitUntilGone(JobResult& result, const QDeadlineTimer& deadline) {
    while (Connected() && !m_stop.Requested()) {
        const qint64 left = deadline.remainingTime();
        if (left <= 0) {
            result.Set(ResultCode::NoPowerCycle,
                       QStringLiteral("The camera was not power-cycled within %1 s: it still "
                                      "runs the old firmware. Power-cycle it to load the new "
                                      "one.")
                           .arg(Seconds(m_settings.timeoutMs)));
            m_surface.PostMessage(result.detail);
            return false;
        }
        m_surface.Wait(static_cast<int>(std::min<qint64>(left, m_settings.pollMs)));
        // A camera that was switched off does not answer; one that restarted
        // has forgotten the connection and ends it.
        if (Connected())
            m_camera.Channel().SendCommand(commands::kRunStatus);
    }
    return true;
}

bool PowerCycleCheck::WaitUntilBack(JobResult& result, const QDeadlineTimer& deadline) {
    m_surface.PostState(JobState::WaitingForCamera);
    const auto keepGoing = [&] { return !m_stop.Requested() && !deadline.hasExpired(); };
    while (m_camera.Link().ReconnectUntil(keepGoing, m_settings.pollMs)) {
        // Back, when it tells who it is; otherwise asked again a little later.
        m_camera.Info().QueryCameraInfo();
        if (!m_camera.Info().Identity().IsEmpty())
            return true;
        m_surface.Wait(static_cast<int>(std::min<qint64>(deadline.remainingTime(),
                                                         m_settings.pollMs)));
    }
    if (m_stop.Requested()) {
        result.Set(ResultCode::Interrupted, QString());
        return false;
    }
    result.Set(ResultCode::NotBack,
               QStringLiteral("The camera went away but did not come back within %1 s of the "
                              "start of the wait: check its power and network.")
                   .arg(Seconds(m_settings.timeoutMs)));
    m_surface.PostMessage(result.detail);
    return false;
}

} // namespace kestrel::cli
