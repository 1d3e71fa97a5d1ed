#include "camera_stack.h"

#include "after_connect.h"
#include "camera_commands.h"
#include "camera_info.h"
#include "command_channel.h"
#include "connector.h"
#include "firmware_run.h"
#include "line_transport.h"
#include "session_io.h"

namespace kestrel {

CameraStack::CameraStack(SessionIo io, LinkSettings link, RunSettings run)
    : m_transport(std::make_unique<LineTransport>(link)),
      m_channel(std::make_unique<CommandChannel>(io, *m_transport, commands::kDuringRun)),
      m_connector(std::make_unique<Connector>(io, *m_transport, *m_channel, link,
                                              commands::kGoodbye)),
      m_info(std::make_unique<CameraInfoQuery>(io.events, *m_channel, *m_transport)),
      m_run(std::make_unique<FirmwareRun>(io, *m_channel, *m_transport, *m_connector, run)),
      m_afterConnect(
          std::make_unique<AfterConnectCheck>(io.input, *m_connector, *m_info, *m_run, run)) {
    m_channel->SetRunFlag([run = m_run.get()] { return run->UpdateRunning(); });
}

CameraStack::~CameraStack() = default;

void CameraStack::LookAtCameraOnConnect(bool followRun) {
    AfterConnectCheck* check = m_afterConnect.get();
    const CameraInfoQuery* info = m_info.get();
    Connector::AfterConnect hooks;
    hooks.pointA = [check] { check->PointA(); };
    if (followRun)
        hooks.pointB = [check] { check->PointB(); };
    hooks.cameraNumber = [info] { return info->CameraNumber(); };
    hooks.info = [info] { return info->Info(); };
    m_connector->SetAfterConnect(std::move(hooks));
}

} // namespace kestrel
