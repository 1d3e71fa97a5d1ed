#include "after_connect.h"

#include "camera_info.h"
#include "dialog_state.h"
#include "firmware_run.h"
#include "run_texts.h"
#include "operator_input.h"

namespace kestrel {

AfterConnectCheck::AfterConnectCheck(DialogState& state, OperatorInput& input,
                                     CommandChannel& channel, CameraInfoQuery& info,
                                     FirmwareRun& run, RunSettings settings)
    : m_state(state), m_input(input), m_channel(channel), m_info(info), m_run(run),
      m_settings(settings) {}

void AfterConnectCheck::PointA() {
    m_state.m_strCameraNumber.clear();
    m_run.Probe();
    if (m_run.UpdateRunning())
        m_state.m_strInfo = runtexts::kUpdateRunningInfo;
    else
        m_info.QueryCameraInfo();
}

void AfterConnectCheck::PointB() {
    if (!m_run.UpdateRunning())
        return;
    const RunOutcome outcome = m_run.RunFirmwareUpdate();
    // Only a camera that is there and no longer programming is asked again.
    if (outcome != RunOutcome::Finished && outcome != RunOutcome::CameraStopped)
        return;
    m_input.Wait(m_settings.afterRunQueryDelayMs);
    if (!m_run.UpdateRunning() && m_state.m_bConnected)
        m_info.QueryCameraInfo();
}

} // namespace kestrel
