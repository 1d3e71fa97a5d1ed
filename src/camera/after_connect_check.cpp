#include "after_connect_check.h"

#include "camera_info_query.h"
#include "connector.h"
#include "firmware_run.h"
#include "run_texts.h"
#include "operator_input.h"

namespace kestrel {

AfterConnectCheck::AfterConnectCheck(OperatorInput& input, const Connector& connector,
                                     CameraInfoQuery& info, FirmwareRun& run,
                                     RunSettings settings)
    : m_input(input), m_connector(connector), m_info(info), m_run(run),
      m_settings(settings) {}

void AfterConnectCheck::LookAtCamera() {
    m_info.ForgetCameraNumber();
    m_run.Probe();
    if (m_run.UpdateRunning())
        m_info.SetInfo(runtexts::kUpdateRunningInfo);
    else
        m_info.QueryCameraInfo();
}

void AfterConnectCheck::FollowRunFound() {
    if (!m_run.UpdateRunning())
        return;
    const RunOutcome outcome = m_run.RunFirmwareUpdate();
    // Only a camera that is there and no longer programming is asked again.
    if (outcome != RunOutcome::Finished && outcome != RunOutcome::CameraStopped)
        return;
    m_input.Wait(m_settings.afterRunQueryDelayMs);
    if (!m_run.UpdateRunning() && m_connector.Connected())
        m_info.QueryCameraInfo();
}

} // namespace kestrel
