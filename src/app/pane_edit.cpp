#include "pane_edit.h"

#include "text_position.h"

#include <QScrollBar>
#include <QTextCursor>
#include <QTextDocument>

#include <algorithm>

namespace kestrel {

PaneEdit::PaneEdit(QWidget* parent) : QPlainTextEdit(parent) {
    setReadOnly(true);
    // Read-only, but the caret can still be moved and text selected with the
    // keyboard, as in a read-only Windows edit control.
    setTextInteractionFlags(Qt::TextSelectableByMouse | Qt::TextSelectableByKeyboard);
    setFocusPolicy(Qt::StrongFocus);
    setTabChangesFocus(true);
    setUndoRedoEnabled(false);
    setLineWrapMode(QPlainTextEdit::WidgetWidth);
    setWordWrapMode(QTextOption::WrapAtWordBoundaryOrAnywhere);
    setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    setFrameStyle(QFrame::Panel | QFrame::Sunken);
    setLineWidth(1);
    document()->setDocumentMargin(2);

    // A read-only edit shows the dialog's face colour behind its text.
    QPalette colours = palette();
    for (const auto group : {QPalette::Active, QPalette::Inactive, QPalette::Disabled})
        colours.setColor(group, QPalette::Base, colours.color(group, QPalette::Window));
    setPalette(colours);
}

void PaneEdit::ShowTextWithCaret(const QString& text, qsizetype index) {
    setPlainText(text);
    QTextCursor caret = textCursor();
    caret.setPosition(static_cast<int>(PanePosition(text, index)));
    setTextCursor(caret);
    ensureCursorVisible();
}

void PaneEdit::SetTextKeepingCaret(const QString& text) {
    const int oldPosition = textCursor().position();
    const int oldScroll = verticalScrollBar()->value();
    setPlainText(text);
    QTextCursor caret = textCursor();
    caret.setPosition(std::min(oldPosition, document()->characterCount() - 1));
    setTextCursor(caret);
    verticalScrollBar()->setValue(oldScroll);
}

} // namespace kestrel
