#pragma once

#include "link_settings.h"
#include "log_book.h"
#include "run_settings.h"
#include "session_events.h"
#include "window_presenter.h"

#include <QString>

#include <memory>

namespace kestrel {

class WindowSurface;
class OperatorInput;
class FileChooserPort;
class Camera;
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

    // address: the camera address field as dotted decimal ("0.0.0.0" when
    // empty), read by the window.
    void OnBnClickedConnect(const QString& address);
    void OnBnClickedFwUpdate();
    void OnBnClickedCopyToUsb();
    void OnBnClickedSelectHw();
    void OnBnClickedSelectSw();
    void OnBnClickedSelectUsb();

    const LogBook& Log() const { return m_log; }
    LogBook& Log() { return m_log; }
    Camera& TheCamera() { return *m_camera; }
    const FirmwareStaging& Staging() const { return *m_staging; }

private:
    void ResetBar();

    LogBook m_log; // every write to the log goes through here
    SessionEvents m_events;
    WindowPresenter m_presenter;
    std::unique_ptr<Camera> m_camera;
    std::unique_ptr<FirmwareStaging> m_staging;
    // Says, on connecting again, whether a camera programmed here took the
    // new firmware.
    std::unique_ptr<ProgrammedCameras> m_programmed;
};

} // namespace kestrel
