#pragma once

#include "firmware_staging.h"
#include "log_book.h"
#include "recording_surface.h"
#include "session_events.h"
#include "window_presenter.h"

#include <QTemporaryDir>

#include <functional>

namespace kestrel::test {

// A recording window that also tells the test when the log pane is shown
// with a caret (the live status line of a running copy).
class HookedSurface : public RecordingSurface {
public:
    void ShowTextWithCaret(Pane pane, const QString& text, qsizetype caretPos) override;

    std::function<void(const QString& text, qsizetype caretPos)> onLogShown;
    QStringList logShown; // every text shown with a caret in the log pane
};

// The staging pickers and copy on a fresh log and recording window, with a
// scratch folder holding "sources" and "stick".
class StagingRig {
public:
    StagingRig();

    QString SourcePath(const QString& name) const;
    QString StickPath() const;
    QString StickFile(const QString& name) const;

    // Chooses the two files and the folder through the pickers, as the
    // operator would; the recorded calls are cleared afterwards.
    void Choose(const QString& hwPath, const QString& swPath, const QString& folder);
    void ForgetRecorded();
    // Presses Copy and, when a copy began, serves events until it and what
    // followed it have ended; true when the copy succeeded.
    bool Copy();

    QTemporaryDir root;
    LogBook log;
    HookedSurface surface;
    SessionEvents events;
    WindowPresenter presenter{events, log, surface};
    FirmwareStaging staging{log, events, surface};
};

// What a copy writes to the log and shows in its message box.
extern const QString kUnchanged; // the closing lines of a failed copy
QString CopyingLine(const QString& folder);
// The log after a copy: its first line, a copied line per file, rest (the
// closing lines, or what failed and the failure's), each file's verification.
struct CopiedFile { QString name; QByteArray content; QString matched = {};
                    QString signer = QStringLiteral("not signed"); };
QString Report(const QString& folder, const QList<CopiedFile>& copied, const QString& rest);
QString FailureBox(const QString& what);

} // namespace kestrel::test
