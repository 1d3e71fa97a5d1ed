#include "recording_surface.h"

namespace kestrel::test {

QString PaneName(Pane pane) {
    switch (pane) {
    case Pane::Log:
        return QStringLiteral("log");
    case Pane::Info:
        return QStringLiteral("info");
    case Pane::HwFile:
        return QStringLiteral("hw");
    case Pane::SwFile:
        return QStringLiteral("sw");
    case Pane::UsbPath:
        return QStringLiteral("usb");
    }
    return {};
}

void RecordingSurface::ShowTextWithCaret(Pane pane, const QString& text, qsizetype caretPos) {
    paneText[pane] = text;
    history[pane] << text;
    caret[pane] = caretPos;
    calls << QStringLiteral("show %1 @%2").arg(PaneName(pane)).arg(caretPos);
}

void RecordingSurface::SetPaneText(Pane pane, const QString& text) {
    paneText[pane] = text;
    history[pane] << text;
    calls << QStringLiteral("set %1").arg(PaneName(pane));
}

void RecordingSurface::SetConnectCaption(const QString& newCaption) {
    caption = newCaption;
    calls << QStringLiteral("caption %1").arg(newCaption);
}

void RecordingSurface::SetProgress(int position) {
    progress = position;
    progressHistory << position;
    calls << QStringLiteral("progress %1").arg(position);
}

void RecordingSurface::ShowMessageBox(const QString& text) {
    messageBoxes << text;
    calls << QStringLiteral("message %1").arg(text);
    if (onMessageBox)
        onMessageBox(text);
}

bool RecordingSurface::AskQuestion(const QString& text, const QString& yes, const QString& no) {
    questions << QStringLiteral("%1 [%2|%3]").arg(text, yes, no);
    calls << QStringLiteral("question %1").arg(text);
    return !questionAnswers.isEmpty() && questionAnswers.takeFirst();
}

std::optional<QString> RecordingSurface::ChooseExistingFile(const QString& initialName,
                                                            const QList<FileFilter>& filters) {
    fileChooserInitialNames << initialName;
    fileChooserFilters << filters;
    calls << QStringLiteral("choose file %1").arg(initialName);
    if (onChooser)
        onChooser();
    return fileAnswers.isEmpty() ? std::nullopt : fileAnswers.takeFirst();
}

std::optional<QString> RecordingSurface::ChooseFolder() {
    calls << QStringLiteral("choose folder");
    if (onChooser)
        onChooser();
    return folderAnswers.isEmpty() ? std::nullopt : folderAnswers.takeFirst();
}

} // namespace kestrel::test
