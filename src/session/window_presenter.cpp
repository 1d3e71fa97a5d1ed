#include "window_presenter.h"

#include "log_book.h"
#include "session_events.h"
#include "window_surface.h"

namespace kestrel {

namespace {

Pane PaneOf(Choice choice) {
    switch (choice) {
    case Choice::HwFile:
        return Pane::HwFile;
    case Choice::SwFile:
        return Pane::SwFile;
    case Choice::UsbFolder:
        break;
    }
    return Pane::UsbPath;
}

} // namespace

WindowPresenter::WindowPresenter(const SessionEvents& events, const LogBook& log,
                                 WindowSurface& surface)
    : m_surface(surface) {
    WindowSurface* s = &surface;
    const LogBook* l = &log;
    QObject::connect(&events, &SessionEvents::logShown, &events,
                     [s, l] { s->ShowAtEnd(Pane::Log, l->Text()); });
    QObject::connect(&events, &SessionEvents::logRefreshed, &events,
                     [s, l] { s->SetPaneText(Pane::Log, l->Text()); });
    // The status line follows the log with the caret before it.
    QObject::connect(&events, &SessionEvents::statusLine, &events, [s, l](const QString& line) {
        s->ShowTextWithCaret(Pane::Log, l->Text() + line, l->Text().size());
    });
    QObject::connect(&events, &SessionEvents::infoShown, &events,
                     [s](const QString& text) { s->ShowAtEnd(Pane::Info, text); });
    QObject::connect(
        &events, &SessionEvents::choiceShown, &events,
        [s](Choice choice, const QString& text) { s->SetPaneText(PaneOf(choice), text); });
    QObject::connect(&events, &SessionEvents::connectionChanged, &events, [s](bool connected) {
        s->SetConnectCaption(connected ? QStringLiteral("Disconnect") : QStringLiteral("Connect"));
    });
    QObject::connect(&events, &SessionEvents::progress, &events,
                     [s](int position) { s->SetProgress(position); });
    QObject::connect(&events, &SessionEvents::message, &events,
                     [s](const QString& text) { s->ShowMessageBox(text); });
}

bool WindowPresenter::Ask(const QString& text, const QString& yes, const QString& no) {
    return m_surface.AskQuestion(text, yes, no);
}

} // namespace kestrel
