#pragma once

#include "link_settings.h"
#include "run_settings.h"

#include <memory>

namespace kestrel {

struct SessionIo;
class LineTransport;
class CommandChannel;
class Connector;
class CameraInfoQuery;
class FirmwareRun;
class AfterConnectCheck;

// One camera as the tool talks to it: the connection, the command channel, the
// information query, the programming run and the look at the camera right
// after connecting. The window and the terminal program build on the same
// stack; each decides what happens once connected. Everything lives in the
// thread that builds the stack.
class CameraStack {
public:
    CameraStack(SessionIo io, LinkSettings link, RunSettings run);
    ~CameraStack();
    CameraStack(const CameraStack&) = delete;
    CameraStack& operator=(const CameraStack&) = delete;

    // Once connected the camera is asked whether it is programming, then for
    // its information unless it is; with followRun, a run found in progress
    // is followed once both panes are shown.
    void LookAtCameraOnConnect(bool followRun);

    LineTransport& Transport() { return *m_transport; }
    CommandChannel& Channel() { return *m_channel; }
    Connector& Link() { return *m_connector; }
    CameraInfoQuery& Info() { return *m_info; }
    FirmwareRun& Run() { return *m_run; }
    AfterConnectCheck& AfterConnect() { return *m_afterConnect; }

private:
    std::unique_ptr<LineTransport> m_transport;
    std::unique_ptr<CommandChannel> m_channel;
    std::unique_ptr<Connector> m_connector;
    std::unique_ptr<CameraInfoQuery> m_info;
    std::unique_ptr<FirmwareRun> m_run;
    std::unique_ptr<AfterConnectCheck> m_afterConnect;
};

} // namespace kestrel
