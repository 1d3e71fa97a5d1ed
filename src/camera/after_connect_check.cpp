#include "after_connect_check.h"

#include "camera_info_query.h"
#include "connector.h"
#include "firmware_run.h"
#include "run_texts.h"

namespace kestrel {

AfterConnectCheck::AfterConnectCheck(const Connector& connector, CameraInfoQuery& info,
                                     FirmwareRun& run, RunSettings settings)
    : m_connector(connector), m_info(info), m_run(run), m_settings(settings) {
    m_again.setSingleShot(true);
    connect(&m_again, &QTimer::timeout, this, [this] {
        if (m_run.UpdateRunning() || !m_connector.Connected())
            return;
        m_info.QueryCameraInfo([this] { emit readAgain(); });
    });
    connect(&m_run, &FirmwareRun::ended, this, [this](RunOutcome outcome) { OnRunEnded(outcome); });
}

void AfterConnectCheck::LookAtCamera(std::function<void()> done) {
    m_info.ForgetCameraNumber();
    m_run.Probe(this, [this, done = std::move(done)](const std::optional<QByteArray>&) {
        if (m_run.UpdateRunning()) {
            m_info.SetInfo(texts::kUpdateRunningInfo);
            done();
            return;
        }
        m_info.QueryCameraInfo(done);
    });
}

void AfterConnectCheck::FollowRunFound() {
    if (!m_run.UpdateRunning())
        return;
    if (m_run.RunFirmwareUpdate())
        return; // nothing started: the run is being started or closed by a press
    m_following = true;
    m_followed = m_run.RunId();
}

void AfterConnectCheck::OnRunEnded(RunOutcome outcome) {
    if (!m_following)
        return;
    m_following = false;
    // A press that took the run over followed it to its end instead.
    if (m_run.RunId() != m_followed)
        return;
    // Only a camera that is there and no longer programming is asked again.
    if (outcome != RunOutcome::Finished && outcome != RunOutcome::CameraStopped)
        return;
    m_again.start(m_settings.afterRunQueryDelayMs);
}

} // namespace kestrel
