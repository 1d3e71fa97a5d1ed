#pragma once

#include "dialog_state.h"
#include "link_settings.h"
#include "log_book.h"
#include "run_settings.h"

#include <memory>

namespace kestrel {

class WindowSurface;
class CommandChannel;
class CameraInfoQuery;
class CameraStack;
class FirmwareRun;
class StagingHandlers;

// The tool's logic behind the main window: the dialog state and the button
// handlers. It reaches the window only through the WindowSurface it is given.
// Handlers may run nested inside another handler's wait (the waits serve
// events); the session must outlive every handler that is running.
class ToolSession {
public:
    explicit ToolSession(WindowSurface& surface, LinkSettings link = {}, RunSettings run = {});
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
    WindowSurface& m_surface;
    DialogState m_state;
    LogBook m_log{m_state.m_strLog}; // every write to the log goes through here
    std::unique_ptr<CameraStack> m_camera;
    std::unique_ptr<StagingHandlers> m_staging;
};

} // namespace kestrel
