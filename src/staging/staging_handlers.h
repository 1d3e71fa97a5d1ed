#pragma once

namespace kestrel {

struct DialogState;
class WindowSurface;

// The handlers of the staging rows of the main window: the three Select
// buttons and "Copy FWs to USB stick". The pickers write the hardware,
// software and folder choices of the dialog state; the copy reads them and
// writes the log.
//
// Handlers may be entered nested (while the camera link waits, and while a
// copy waits for its worker); a Copy or Select press during a copy is refused
// with a message box and changes nothing.
class StagingHandlers {
public:
    StagingHandlers(DialogState& state, WindowSurface& surface);

    void OnBnClickedSelectHw();
    void OnBnClickedSelectSw();
    void OnBnClickedSelectUsb();
    // True when both files were copied and verified.
    bool OnBnClickedCopyToUsb();

    // True while a copy is running (the window must not close meanwhile).
    bool CopyRunning() const { return m_copyRunning; }

private:
    bool RefuseDuringCopy();

    DialogState& m_state;
    WindowSurface& m_surface;
    bool m_copyRunning = false;
};

} // namespace kestrel
