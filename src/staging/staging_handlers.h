#pragma once

#include "staging_choices.h"

#include <functional>

namespace kestrel {

class LogBook;
class SessionEvents;
class OperatorInput;
struct SessionIo;

// The handlers of the staging rows of the main window: the three Select
// buttons and "Copy FWs to USB stick". The pickers write the hardware,
// software and folder choices; the copy reads them and writes the log.
//
// Handlers may be entered nested (while the camera link waits, and while a
// copy waits for its worker); a Copy or Select press during a copy is refused
// with a message box and changes nothing. While a programming run is going on
// the log and the progress bar are the run's: the copy's report then comes in
// a message box of its own.
class StagingHandlers {
public:
    explicit StagingHandlers(SessionIo io);

    void OnBnClickedSelectHw();
    void OnBnClickedSelectSw();
    void OnBnClickedSelectUsb();
    // True when both files were copied and verified.
    bool OnBnClickedCopyToUsb();

    // Ejects the USB stick that holds the folder; the log and a message give
    // the outcome. Part of the copy's work: other copies and choices wait.
    void EjectStick(const QString& folder);

    const StagingChoices& Choices() const { return m_choices; }

    // True while a copy is running (the window must not close meanwhile).
    bool CopyRunning() const { return m_copyRunning; }

    // Tells whether a programming run is going on; none when never set.
    void SetRunActive(std::function<bool()> runActive) { m_runActive = std::move(runActive); }

private:
    bool RefuseDuringCopy();
    bool RunActive() const { return m_runActive && m_runActive(); }

    StagingChoices m_choices;
    LogBook& m_log;
    SessionEvents& m_events;
    OperatorInput& m_input;
    bool m_copyRunning = false;
    std::function<bool()> m_runActive;
};

} // namespace kestrel
