#pragma once

#include "staging_choices.h"

#include <QString>

#include <functional>

namespace kestrel {

class FileChooserPort;
class LogBook;
class SessionEvents;
struct StickCopyResult;

// The staging rows of the main window: choosing the hardware file, the
// software file and the USB-stick folder, and copying the two files onto the
// stick. The choosers write the choices; the copy reads them and writes the
// log.
//
// Each may be entered nested (while the camera link waits, and while a copy
// waits for its worker); a copy or a choice asked for during a copy is
// refused with a message box and changes nothing. While a programming run is
// going on the log and the progress bar are the run's: the copy's report then
// comes in a message box of its own.
//
// After a successful copy onto a removable drive the operator is asked
// whether to eject the stick there and then; the log gets the outcome.
class FirmwareStaging {
public:
    FirmwareStaging(LogBook& log, SessionEvents& events, FileChooserPort& choosers);

    void ChooseHwFile();
    void ChooseSwFile();
    void ChooseStickFolder();
    // True when both files were copied and verified; ejecting the stick
    // afterwards, offered or not, does not change it.
    bool CopyToStick();

    const StagingChoices& Choices() const { return m_choices; }

    // True while a copy is running (the window must not close meanwhile).
    bool CopyRunning() const { return m_copyRunning; }

    // Tells whether a programming run is going on; none when never set.
    void SetRunActive(std::function<bool()> runActive) { m_runActive = std::move(runActive); }

    // A modal question with two buttons, true for yes: how the operator is
    // asked whether to eject the stick. None set: ejecting is not offered.
    using Question = std::function<bool(const QString& text, const QString& yes, const QString& no)>;
    void SetQuestion(Question ask) { m_ask = std::move(ask); }

private:
    bool RefuseDuringCopy();
    void OfferEject(const StickCopyResult& copy);
    bool RunActive() const { return m_runActive && m_runActive(); }

    StagingChoices m_choices;
    LogBook& m_log;
    SessionEvents& m_events;
    FileChooserPort& m_choosers;
    bool m_copyRunning = false;
    std::function<bool()> m_runActive;
    Question m_ask;
};

} // namespace kestrel
