#include "tool_session.h"

#include "camera_stack.h"
#include "connector.h"
#include "firmware_run.h"
#include "firmware_staging.h"
#include "session_io.h"

namespace kestrel {

ToolSession::ToolSession(WindowSurface& surface, OperatorInput& input, FileChooserPort& choosers,
                         LinkSettings link, RunSettings run)
    : m_presenter(m_events, m_log, surface),
      m_camera(std::make_unique<CameraStack>(SessionIo{m_log, m_events, input}, link, run)),
      m_staging(std::make_unique<FirmwareStaging>(m_log, m_events, choosers)) {
    // The window follows a run it found in progress on connecting.
    m_camera->LookAtCameraOnConnect(true);
    m_staging->SetRunActive([this] { return m_camera->Run().Active(); });
    m_staging->SetQuestion([this](const QString& text, const QString& yes, const QString& no) {
        return m_presenter.Ask(text, yes, no);
    });
}

ToolSession::~ToolSession() = default;

Connector& ToolSession::Link() {
    return m_camera->Link();
}

CommandChannel& ToolSession::Channel() {
    return m_camera->Channel();
}

FirmwareRun& ToolSession::Run() {
    return m_camera->Run();
}

CameraInfoQuery& ToolSession::Info() {
    return m_camera->Info();
}

void ToolSession::OnBnClickedConnect() {
    if (!Link().Connected())
        ResetBar();
    m_camera->Link().OnBnClickedConnect();
}

void ToolSession::OnBnClickedFwUpdate() {
    if (Link().Connected())
        ResetBar();
    m_camera->Run().RunFirmwareUpdate();
}

void ToolSession::ResetBar() {
    // The bar shows the camera operation that begins now, not what came
    // before it (a copy's 100); a run in progress keeps its position.
    if (!Run().Active())
        emit m_events.progress(0);
}

void ToolSession::OnBnClickedCopyToUsb() {
    m_staging->CopyToStick();
}

void ToolSession::OnBnClickedSelectHw() {
    m_staging->ChooseHwFile();
}

void ToolSession::OnBnClickedSelectSw() {
    m_staging->ChooseSwFile();
}

void ToolSession::OnBnClickedSelectUsb() {
    m_staging->ChooseStickFolder();
}

} // namespace kestrel
