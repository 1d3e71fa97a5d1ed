#include "tool_session.h"

#include "camera.h"
#include "session_io.h"
#include "staging_handlers.h"

namespace kestrel {

ToolSession::ToolSession(WindowSurface& surface, OperatorInput& input, LinkSettings link,
                         RunSettings run)
    : m_presenter(m_events, m_log, surface),
      m_camera(std::make_unique<Camera>(SessionIo{m_log, m_events, input}, link, run)),
      m_staging(std::make_unique<StagingHandlers>(SessionIo{m_log, m_events, input})) {
    m_staging->SetRunActive([this] { return m_camera->RunActive(); });
}

ToolSession::~ToolSession() = default;

void ToolSession::OnBnClickedConnect(const QString& address) {
    // The button toggles; the window follows a run it finds in progress.
    if (m_camera->Connected())
        m_camera->Disconnect();
    else
        m_camera->Connect(address, Camera::FoundRun::Follow);
}

void ToolSession::OnBnClickedFwUpdate() {
    m_camera->Update();
}

void ToolSession::OnBnClickedCopyToUsb() {
    m_staging->OnBnClickedCopyToUsb();
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
