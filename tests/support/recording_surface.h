#pragma once

#include "file_chooser_port.h"
#include "window_surface.h"

#include <QList>
#include <QMap>
#include <QStringList>

#include <functional>
#include <optional>

namespace kestrel::test {

// A window and its operator for tests: remembers what was shown, answers
// from a script. Every call is also written to `calls` as one line, so tests
// can check the order.
class RecordingSurface : public WindowSurface, public FileChooserPort {
public:
    void ShowTextWithCaret(Pane pane, const QString& text, qsizetype caretPos) override;
    void SetPaneText(Pane pane, const QString& text) override;
    void SetConnectCaption(const QString& caption) override;
    void SetProgress(int position) override;
    void ShowMessageBox(const QString& text) override;
    bool AskQuestion(const QString& text, const QString& yes, const QString& no) override;
    std::optional<QString> ChooseExistingFile(const QString& initialName,
                                              const QList<FileFilter>& filters) override;
    std::optional<QString> ChooseFolder() override;

    // What the window shows now.
    QMap<Pane, QString> paneText;
    QMap<Pane, qsizetype> caret;     // absent: the caret was never placed
    QMap<Pane, QStringList> history; // every text each pane was given, in order
    QString caption = QStringLiteral("Connect");
    int progress = 0;
    QList<int> progressHistory;
    QStringList messageBoxes;
    QStringList questions; // "text [yes|no]"
    QStringList calls;

    // What the operator does; the address field as the window reads it.
    QString address = QStringLiteral("0.0.0.0");
    QList<std::optional<QString>> fileAnswers;   // taken front first
    QList<std::optional<QString>> folderAnswers; // taken front first
    QList<QList<FileFilter>> fileChooserFilters; // what each file chooser offered
    QStringList fileChooserInitialNames;
    QList<bool> questionAnswers; // taken front first; none left: no
    // Called while a message box is up (before it is dismissed), with its text.
    std::function<void(const QString&)> onMessageBox;
    // Called while a chooser is up, before it answers: a chooser held open
    // is one that serves events meanwhile, as the window's modal ones do.
    std::function<void()> onChooser;
};

QString PaneName(Pane pane);

} // namespace kestrel::test
