#include "tool_session.h"

#include "camera_stack.h"
#include "connector.h"
#include "firmware_run.h"
#include "session_io.h"
#include "staging_handlers.h"
#include "staging_texts.h"
#include "stick_ejector.h"

namespace kestrel {

ToolSession::ToolSession(WindowSurface& surface, OperatorInput& input, LinkSettings link,
                         RunSettings run)
    : m_presenter(m_events, m_log, surface),
      m_camera(std::make_unique<CameraStack>(SessionIo{m_log, m_events, input}, link, run)),
      m_staging(std::make_unique<StagingHandlers>(SessionIo{m_log, m_events, input})) {
    // The window follows a run it found in progress on connecting.
    m_camera->LookAtCameraOnConnect(true);
    m_staging->SetRunActive([this] { return m_camera->Run().Active(); });
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
    m_camera->Link().OnBnClickedConnect();
}

void ToolSession::OnBnClickedFwUpdate() {
    m_camera->Run().RunFirmwareUpdate();
}

void ToolSession::OnBnClickedCopyToUsb() {
    if (!m_staging->OnBnClickedCopyToUsb())
        return; // nothing is offered after a failed copy
    // The choices are the copy's: no Select runs while the copy does.
    const QString folder = m_staging->Choices().m_strUsbPath;
    if (StickEjector().OnRemovableDrive(folder) &&
        m_presenter.Ask(staging_texts::EjectOffer(), staging_texts::EjectButton(),
                        staging_texts::KeepButton()))
        m_staging->EjectStick(folder);
}

void ToolSession::OnBnClickedSelectHw() {
    m_staging->OnBnClickedSelectHw();
}

void ToolSession::OnBnClickedSelectSw() {
    m_staging->OnBnClickedSelectSw();
}

void ToolSession::OnBnClickedSelectUsb() {
    m_staging->OnBnClickedSelectUsb();
}

} // namespace kestrel
