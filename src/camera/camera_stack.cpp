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

CameraStack::CameraStack(DialogState& state, SessionIo io, LinkSettings link, RunSettings run)
    : m_transport(std::make_unique<LineTransport>(link)),
      m_channel(std::make_unique<CommandChannel>(state, io, *m_transport, commands::kDuringRun)),
      m_connector(std::make_unique<Connector>(state, io, *m_transport, *m_channel, link,
                                              commands::kGoodbye)),
      m_info(std::make_unique<CameraInfoQuery>(state, io.events, *m_channel, *m_transport)),
      m_run(std::make_unique<FirmwareRun>(state, io, *m_channel, *m_transport, *m_connector,
                                          run)),
      m_afterConnect(std::make_unique<AfterConnectCheck>(state, io.input, *m_channel, *m_info,
                                                         *m_run, run)) {
    m_channel->SetRunFlag([run = m_run.get()] { return run->UpdateRunning(); });
}

CameraStack::~CameraStack() = default;

} // namespace kestrel
