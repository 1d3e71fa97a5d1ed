#include "tool_session.h"

#include "app/window_surface.h"
#include "link/command_channel.h"
#include "link/connector.h"
#include "link/line_transport.h"

namespace kestrel {

ToolSession::ToolSession(WindowSurface& surface, LinkSettings settings)
    : m_surface(surface), m_transport(std::make_unique<LineTransport>(settings)),
      m_channel(std::make_unique<CommandChannel>(m_state, m_surface, *m_transport)),
      m_connector(
          std::make_unique<Connector>(m_state, m_surface, *m_transport, *m_channel, settings))
{
}

ToolSession::~ToolSession() = default;

void ToolSession::OnBnClickedConnect()
{
    m_connector->OnBnClickedConnect();
}

} // namespace kestrel
