#include "tool_session.h"

#include "app/window_surface.h"
#include "camera/after_connect.h"
#include "camera/camera_info.h"
#include "camera/firmware_run.h"
#include "link/command_channel.h"
#include "link/connector.h"
#include "link/line_transport.h"
#include "staging/staging_handlers.h"

namespace kestrel {

ToolSession::ToolSession(WindowSurface& surface, LinkSettings link, RunSettings run)
    : m_surface(surface), m_transport(std::make_unique<LineTransport>(link)),
      m_channel(std::make_unique<CommandChannel>(m_state, m_surface, *m_transport)),
      m_connector(std::make_unique<Connector>(m_state, m_surface, *m_transport, *m_channel, link)),
      m_info(std::make_unique<CameraInfoQuery>(m_state, m_surface, *m_channel, *m_transport)),
      m_run(std::make_unique<FirmwareRun>(m_state, m_surface, *m_channel, *m_transport,
                                          *m_connector, run)),
      m_afterConnect(std::make_unique<AfterConnectCheck>(m_state, m_surface, *m_channel, *m_info,
                                                         *m_run, run)),
      m_staging(std::make_unique<StagingHandlers>(m_state, m_surface)) {
    m_connector->SetAfterConnect({[this] { m_afterConnect->PointA(); },
                                  [this] { m_afterConnect->PointB(); },
                                  [this] { return m_state.m_strCameraNumber; }});
}

ToolSession::~ToolSession() = default;

void ToolSession::OnBnClickedConnect() {
    m_connector->OnBnClickedConnect();
}

void ToolSession::OnBnClickedFwUpdate() {
    m_run->RunFirmwareUpdate();
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
