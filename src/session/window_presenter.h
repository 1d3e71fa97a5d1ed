#pragma once

#include <QObject>
#include <QString>

namespace kestrel {

class LogBook;
class SessionEvents;
class WindowSurface;

// Shows the session's events in the main window: the log and information
// panes with their caret, the three choice panes, the Connect button's
// caption, the progress bar and the message boxes.
class WindowPresenter {
public:
    WindowPresenter(const SessionEvents& events, const LogBook& log, WindowSurface& surface);

    // Asks the operator in a modal box with two buttons; true for yes.
    bool Ask(const QString& text, const QString& yes, const QString& no);

private:
    WindowSurface& m_surface;
    QObject m_context; // the connections end with this object
};

} // namespace kestrel
