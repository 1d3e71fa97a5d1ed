#pragma once

#include "link_settings.h"
#include "log_book.h"
#include "run_settings.h"
#include "session_events.h"
#include "window_presenter.h"

#include <memory>

namespace kestrel {

class WindowSurface;
class OperatorInput;
class FileChooserPort;
class CommandChannel;
class CameraInfoQuery;
class Connector;
class CameraStack;
class FirmwareRun;
class FirmwareStaging;
class ProgrammedCameras;

// The tool's logic behind the main window: the log and the button
// handlers. The handlers report to the session's events, which its presenter
// shows on the WindowSurface it is given, and ask the operator through the
// OperatorInput and, for files and the stick's folder, the FileChooserPort.
// Handlers may run nested inside another handler's wait (the waits serve
// events); the session must outlive every handler that is running.
class ToolSession {
public:
    ToolSession(WindowSurface& surface, OperatorInput& input, FileChooserPort& choosers,
                LinkSettings link = {}, RunSettings run = {});
    ~ToolSession();
    ToolSession(const ToolSession&) = delete;
    ToolSession& operator=(const ToolSession&) = delete;

    void OnBnClickedConnect();
    void OnBnClickedFwUpdate();
    void OnBnClickedCopyToUsb();
    void OnBnClickedSelectHw();
    void OnBnClickedSelectSw();
    void OnBnClickedSelectUsb();

    const LogBook& Log() const { return m_log; }
    LogBook& Log() { return m_log; }
    Connector& Link();
    const FirmwareStaging& Staging() const { return *m_staging; }
    CommandChannel& Channel();
    FirmwareRun& Run();
    CameraInfoQuery& Info();

private:
    void ResetBar();

    LogBook m_log; // every write to the log goes through here
    SessionEvents m_events;
    WindowPresenter m_presenter;
    std::unique_ptr<CameraStack> m_camera;
    std::unique_ptr<FirmwareStaging> m_staging;
    // Says, on connecting again, whether a camera programmed here took the
    // new firmware.
    std::unique_ptr<ProgrammedCameras> m_programmed;
};

} // namespace kestrel
