#pragma once

#include <QPlainTextEdit>

namespace kestrel {

// One of the main window's read-only text panes: plain text only, wrapped at
// the pane's width, no scroll bars, a thin sunken edge, and a tab stop whose
// Tab key moves on to the next control. Only the program writes it.
class PaneEdit : public QPlainTextEdit {
    Q_OBJECT

public:
    explicit PaneEdit(QWidget* parent = nullptr);

    // Replaces the whole text, puts an empty selection at index (counted in
    // the characters of text) and scrolls it into view.
    void ShowTextWithCaret(const QString& text, qsizetype index);

    // Replaces the whole text; the caret stays where it was (at most at the
    // new end) and the view is not scrolled.
    void SetTextKeepingCaret(const QString& text);
};

} // namespace kestrel
