#pragma once

#include <QList>
#include <QString>
#include <QStringList>

#include <optional>

namespace kestrel {

// One entry of a file chooser's type list: the text the operator sees and
// the name patterns it lists.
struct FileFilter {
    QString description;  // for example "Raw Binary File (*.rbf)"
    QStringList patterns; // for example {"*.rbf"}; {"*"} lists every file
};

// The panes of the main window that the tool's logic writes.
enum class Pane { Log, Info, HwFile, SwFile, UsbPath };

// Everything the tool's logic (camera link, camera operations, staging) needs
// of the window. The Qt dialog implements it; tests implement a recording one.
// All texts are shown as plain text; camera replies are never markup.
class WindowSurface {
public:
    virtual ~WindowSurface() = default;

    // Replaces the pane's whole text, puts an empty selection at caretPos
    // (a character index into text) and scrolls it into view.
    virtual void ShowTextWithCaret(Pane pane, const QString& text, qsizetype caretPos) = 0;

    // Replaces the pane's whole text without moving the caret or scrolling.
    virtual void SetPaneText(Pane pane, const QString& text) = 0;

    // The caption of the Connect button ("Connect" or "Disconnect").
    virtual void SetConnectCaption(const QString& caption) = 0;

    // The camera address field as dotted decimal; empty fields read 0, so an
    // empty field reads "0.0.0.0".
    virtual QString ReadCameraAddress() = 0;

    // The progress bar's position, 0 to 100.
    virtual void SetProgress(int position) = 0;

    // A modal message box with the text and an OK button; returns when it is
    // dismissed.
    virtual void ShowMessageBox(const QString& text) = 0;

    // A modal chooser of one existing file, opened on the first filter with
    // initialName in its name field. Returns the chosen file's full path, or
    // nothing when the operator cancelled.
    virtual std::optional<QString> ChooseExistingFile(const QString& initialName,
                                                      const QList<FileFilter>& filters) = 0;

    // A modal folder chooser. Returns the chosen folder's full path, or
    // nothing when the operator cancelled.
    virtual std::optional<QString> ChooseFolder() = 0;

    // Waits about ms milliseconds while the window stays alive (events are
    // served, nothing spins).
    virtual void Wait(int ms) = 0;

    // Sets the text and puts the caret after its last character.
    void ShowAtEnd(Pane pane, const QString& text) { ShowTextWithCaret(pane, text, text.size()); }
};

} // namespace kestrel
