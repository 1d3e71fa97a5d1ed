#pragma once

#include <QObject>
#include <QString>

namespace kestrel {

// The chosen things the window shows in a pane of their own.
enum class Choice { HwFile, SwFile, UsbFolder };

// What the camera link, the camera operations and the copy report for the
// operator, as it happens. The window's presenter turns these into panes,
// caret, progress bar and message boxes; the terminal program into lines and
// bars. The log's own text is told by the LogBook; these say when and how
// it is to be shown. Connections are direct: the emitter goes on once every
// presenter is done (the window's message box is modal).
class SessionEvents : public QObject {
    Q_OBJECT
signals:
    // The log as it is now, the caret after its end.
    void logShown();
    // The log as it is now, the caret and the scrolling left where they are.
    void logRefreshed();
    // The log with a status line after it; the line is not part of the log
    // and the caret stays at the log's end.
    void statusLine(const QString& line);
    // The camera information text, whole.
    void infoShown(const QString& text);
    // What is chosen for one of the copy's three choices (empty: nothing).
    void choiceShown(kestrel::Choice choice, const QString& text);
    // The tool considers itself connected, or no longer.
    void connectionChanged(bool connected);
    // The progress bar's position, 0 to 100.
    void progress(int position);
    // A message for the operator, waited on where the operator can answer.
    void message(const QString& text);
};

} // namespace kestrel
