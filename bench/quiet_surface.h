#pragma once

#include "file_chooser_port.h"
#include "window_surface.h"

namespace kestrel::bench {

// A window that shows nothing and remembers only the latest pane texts, so
// that a benchmark measures the tool's logic and not a recorder.
class QuietSurface : public WindowSurface, public FileChooserPort {
public:
    void ShowTextWithCaret(Pane pane, const QString& text, qsizetype caretPos) override;
    void SetPaneText(Pane pane, const QString& text) override;
    void SetConnectCaption(const QString& caption) override;
    void SetProgress(int position) override { progress = position; }
    void ShowMessageBox(const QString& text) override;
    // A benchmark keeps the stick in.
    bool AskQuestion(const QString&, const QString&, const QString&) override { return false; }
    std::optional<QString> ChooseExistingFile(const QString& initialName,
                                              const QList<FileFilter>& filters) override;
    std::optional<QString> ChooseFolder() override { return std::nullopt; }

    QString address = QStringLiteral("127.0.0.1");
    QString log;
    QString info;
    int progress = 0;
    int messageBoxes = 0; // a benchmark run that shows one has gone wrong
};

} // namespace kestrel::bench
