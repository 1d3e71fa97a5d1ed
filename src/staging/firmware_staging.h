#pragma once

#include "staging_choices.h"
#include "stick_copy_result.h"
#include "stick_eject.h"

#include <QObject>
#include <QString>

#include <functional>

namespace kestrel {

class FileChooserPort;
class LogBook;
class SessionEvents;
class StickCopy;
class StickEject;
struct StickCopyProgress;
struct StickEjectResult;

// The staging rows of the main window: choosing the hardware file, the
// software file and the USB-stick folder, and copying the two files onto the
// stick. The choosers write the choices; the copy reads them and writes the
// log.
//
// Copy returns at once: the copy works off this thread and its progress and
// report come as it goes, so the window (and a camera run it follows) is
// served meanwhile. From Copy until the copy and what follows it have ended,
// a press of Copy says that a copy is already running and a choice asks to
// wait; neither changes anything. While a programming run is going on the
// log and the progress bar are the run's: the copy's report then comes in a
// message box of its own.
//
// After a successful copy onto a removable drive the operator is asked
// whether to eject the stick there and then; the log gets the outcome.
class FirmwareStaging : public QObject {
    Q_OBJECT
public:
    FirmwareStaging(LogBook& log, SessionEvents& events, FileChooserPort& choosers);
    // A copy still running is finished first (nothing is cut off in the
    // middle of a file); nothing more is told of it.
    ~FirmwareStaging() override;

    void ChooseHwFile();
    void ChooseSwFile();
    void ChooseStickFolder();
    // Starts the copy, or says in a message why not.
    void CopyToStick();

    const StagingChoices& Choices() const { return m_choices; }

    // True from the start of a copy until workEnded (the window must not
    // close meanwhile).
    bool CopyRunning() const { return m_copyRunning; }

    // Tells whether a programming run is going on; none when never set.
    void SetRunActive(std::function<bool()> runActive) { m_runActive = std::move(runActive); }

    // A modal question with two buttons, true for yes: how the operator is
    // asked whether to eject the stick. None set: ejecting is not offered.
    using Question =
        std::function<bool(const QString& text, const QString& yes, const QString& no)>;
    void SetQuestion(Question ask) { m_ask = std::move(ask); }

signals:
    // A copy of the chosen files has begun.
    void copyStarted();
    // The copy's report has been shown; copy.succeeded: both files were
    // copied and verified.
    void copyEnded(const kestrel::StickCopyResult& copy);
    // The operator asked to eject the stick after the copy, and the eject
    // has begun; it has ended.
    void ejectStarted();
    void ejectEnded(const kestrel::StickEjectResult& eject);
    // The copy and what followed it (the offer to eject, the eject) have
    // ended: Copy and the choosers work again.
    void workEnded();

private:
    bool RefuseDuringCopy();
    bool LogIsOurs() const;
    void ShowProgress(const StickCopyProgress& progress);
    void ShowReport(const StickCopyResult& copy);
    void OfferEject(bool offered);
    void ShowEject(const StickEjectResult& eject);
    void EndWork();
    bool RunActive() const { return m_runActive && m_runActive(); }

    StagingChoices m_choices;
    LogBook& m_log;
    SessionEvents& m_events;
    FileChooserPort& m_choosers;
    bool m_copyRunning = false;
    std::function<bool()> m_runActive;
    Question m_ask;

    // The copy going on, and how its report is shown.
    StickCopy* m_copy = nullptr; // a child while it runs
    QString m_heading;           // "Copying new files to ..." with its line end
    bool m_ownLog = false;       // the log was the copy's when it began
    quint64 m_headingWrite = 0;  // the log's write count after the heading
    StickCopyResult m_copied;    // the copy an eject is offered for
    StickEject* m_eject;         // a child
};

} // namespace kestrel
