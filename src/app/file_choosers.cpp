#include "file_choosers.h"

#include "chooser_memory.h"

#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QFileSystemModel>
#include <QStringList>

namespace kestrel {

namespace {

// Qt's own chooser would take each entry's patterns from the parentheses of
// its text, and "*.*" there skips names without a dot (vx_server). The list
// model of the chooser is therefore given the filter's own patterns whenever
// an entry comes into force.
void ApplyPatterns(QFileDialog& chooser, const QList<FileFilter>& filters,
                   const QString& description) {
    auto* model = chooser.findChild<QFileSystemModel*>();
    for (const FileFilter& filter : filters) {
        if (model != nullptr && filter.description == description) {
            model->setNameFilters(filter.patterns);
            return;
        }
    }
}

} // namespace

std::optional<QString> FileChoosers::ChooseExistingFile(const QString& initialName,
                                                        const QList<FileFilter>& filters) {
    return RunFileChooser(m_parent, initialName, filters);
}

std::optional<QString> FileChoosers::ChooseFolder() {
    return RunFolderChooser(m_parent);
}

std::optional<QString> RunFileChooser(QWidget* parent, const QString& initialName,
                                      const QList<FileFilter>& filters) {
    QFileDialog chooser(parent);
    // The native Windows chooser reads the patterns from the entries' texts
    // and lists every file for "*.*"; elsewhere Qt's own chooser is used so
    // that the patterns can be set apart from the texts.
#ifndef Q_OS_WIN
    chooser.setOption(QFileDialog::DontUseNativeDialog);
#endif
    chooser.setAcceptMode(QFileDialog::AcceptOpen);
    chooser.setFileMode(QFileDialog::ExistingFile);
    QStringList descriptions;
    for (const FileFilter& filter : filters)
        descriptions << filter.description;
    chooser.setNameFilters(descriptions);
    if (!descriptions.isEmpty()) {
        chooser.selectNameFilter(descriptions.first());
        ApplyPatterns(chooser, filters, descriptions.first());
    }
    QObject::connect(&chooser, &QFileDialog::filterSelected, &chooser,
                     [&chooser, &filters](const QString& description) {
                         ApplyPatterns(chooser, filters, description);
                     });
    // Each file chooser opens where its last choice was made.
    const ChooserMemory memory(descriptions.value(0));
    const QString start = memory.StartFolder();
    if (!start.isEmpty())
        chooser.setDirectory(start);
    chooser.selectFile(initialName);
    if (chooser.exec() != QDialog::Accepted)
        return std::nullopt;
    const QStringList chosen = chooser.selectedFiles();
    if (chosen.isEmpty())
        return std::nullopt;
    memory.Remember(QFileInfo(chosen.first()).absolutePath());
    return QDir::toNativeSeparators(chosen.first());
}

std::optional<QString> RunFolderChooser(QWidget* parent) {
    const ChooserMemory memory(QStringLiteral("Folder"));
    const QString folder =
        QFileDialog::getExistingDirectory(parent, QString(), memory.StartFolder());
    if (folder.isEmpty())
        return std::nullopt;
    memory.Remember(folder);
    return NativeFolderPath(folder);
}

QString NativeFolderPath(const QString& path) {
    QString native = QDir::toNativeSeparators(path);
#ifdef Q_OS_WIN
    if (native.size() == 2 && native[0].isLetter() && native[1] == u':')
        native += QDir::separator();
#endif
    return native;
}

} // namespace kestrel
