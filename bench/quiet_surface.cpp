#include "quiet_surface.h"

namespace kestrel::bench {

void QuietSurface::ShowTextWithCaret(Pane pane, const QString& text, qsizetype) {
    SetPaneText(pane, text);
}

void QuietSurface::SetPaneText(Pane pane, const QString& text) {
    if (pane == Pane::Log)
        log = text;
    else if (pane == Pane::Info)
        info = text;
}

void QuietSurface::SetConnectCaption(const QString&) {}

void QuietSurface::ShowMessageBox(const QString&) {
    ++messageBoxes;
}

std::optional<QString> QuietSurface::ChooseExistingFile(const QString&, const QList<FileFilter>&) {
    return std::nullopt;
}

} // namespace kestrel::bench
