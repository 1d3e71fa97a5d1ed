#pragma once

#include "dialog_state.h"
#include "link_settings.h"
#include "log_book.h"
#include "run_settings.h"
#include "session_events.h"
#include "window_presenter.h"

#include <memory>

namespace kestrel {

class WindowSurface;
class OperatorInput;
class CommandChannel;
class CameraInfoQuery;
class CameraStack;
class FirmwareRun;
class StagingHandlers;

// The tool's logic behind the main window: the dialog state and the button
// handlers. The handlers report to the session's events, which its presenter
// shows on the WindowSurface it is given, and ask the operator through the
// OperatorInput.
// Handlers may run nested inside another handler's wait (the waits serve
// events); the session must outlive every handler that is running.
class ToolSession {
public:
    ToolSession(WindowSurface& surface, OperatorInput& input, LinkSettings link = {},
                RunSettings run = {});
    ~ToolSession();
    ToolSession(const ToolSession&) = delete;
    ToolSession& operator=(const ToolSession&) = delete;

    void OnBnClickedConnect();
    void OnBnClickedFwUpdate();
    void OnBnClickedCopyToUsb();
    void OnBnClickedSelectHw();
    void OnBnClickedSelectSw();
    void OnBnClickedSelectUsb();

    DialogState& State() { return m_state; }
    CommandChannel& Channel();
    FirmwareRun& Run();
    CameraInfoQuery& Info();

private:
    DialogState m_state;
    LogBook m_log{m_state.m_strLog}; // every write to the log goes through here
    SessionEvents m_events;
    WindowPresenter m_presenter;
    std::unique_ptr<CameraStack> m_camera;
    std::unique_ptr<StagingHandlers> m_staging;
};

} // namespace kestrel
