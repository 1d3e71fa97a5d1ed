#pragma once

#include "firmware_run.h"
#include "link_settings.h"
#include "log_book.h"
#include "session_events.h"
#include "window_presenter.h"

#include <QString>

#include <memory>

namespace kestrel {

class WindowSurface;
class FileChooserPort;
class Camera;
class FirmwareStaging;
class ProgrammedCameras;
class HistoryRecorder;
class WindowHistory;

// The tool's logic behind the main window: the log and the button
// handlers. The handlers report to the session's events, which its presenter
// shows on the WindowSurface it is given, and ask the operator for files and
// the stick's folder through the FileChooserPort. The camera's handlers start
// its operations and return at once; those go on from the event loop,
// whatever the window does meanwhile (a chooser or a message box open), and
// report as they go.
class ToolSession {
public:
    ToolSession(WindowSurface& surface, FileChooserPort& choosers, LinkSettings link = {},
                RunSettings run = {});
    ~ToolSession();
    ToolSession(const ToolSession&) = delete;
    ToolSession& operator=(const ToolSession&) = delete;

    // What the operator asks for, one handler each; the window's buttons
    // call them. Connect toggles: it connects to the camera at address (the
    // address field as dotted decimal, "0.0.0.0" when empty), or disconnects.
    void Connect(const QString& address);
    // Starts the firmware update, or follows the run in progress.
    void StartUpdate();
    // Copies the two chosen files onto the stick.
    void CopyToStick();
    void ChooseHwFile();
    void ChooseSwFile();
    void ChooseStickFolder();

    // From now on, what the window does to cameras and sticks is written to
    // the production history through recorder, which outlives the session.
    void KeepHistory(HistoryRecorder& recorder);

    // Some work is under way that the window must not close under: a camera
    // operation (a run above all) or a copy.
    bool Busy() const;

    const LogBook& Log() const { return m_log; }
    LogBook& Log() { return m_log; }
    Camera& TheCamera() { return *m_camera; }
    const FirmwareStaging& Staging() const { return *m_staging; }

private:
    void ResetBar();

    LinkSettings m_link;
    LogBook m_log; // every write to the log goes through here
    SessionEvents m_events;
    WindowPresenter m_presenter;
    std::unique_ptr<Camera> m_camera;
    std::unique_ptr<FirmwareStaging> m_staging;
    // Says, on connecting again, whether a camera programmed here took the
    // new firmware.
    std::unique_ptr<ProgrammedCameras> m_programmed;
    std::unique_ptr<WindowHistory> m_history; // none until KeepHistory
};

} // namespace kestrel
