#pragma once

#include <QString>

namespace kestrel {

// The panes of the main window that the presenter writes.
enum class Pane { Log, Info, HwFile, SwFile, UsbPath };

// What the window's presenter needs of the window to show the session's
// events. The Qt dialog implements it; tests implement a recording one. All
// texts are shown as plain text; camera replies are never markup.
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

    // The progress bar's position, 0 to 100.
    virtual void SetProgress(int position) = 0;

    // A modal message box with the text and an OK button; returns when it is
    // dismissed.
    virtual void ShowMessageBox(const QString& text) = 0;

    // A modal question with two buttons; true when the operator chose yes.
    // Closing the box answers no.
    virtual bool AskQuestion(const QString& text, const QString& yes, const QString& no) = 0;

    // Sets the text and puts the caret after its last character.
    void ShowAtEnd(Pane pane, const QString& text) { ShowTextWithCaret(pane, text, text.size()); }
};

} // namespace kestrel
