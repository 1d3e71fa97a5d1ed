#pragma once

#include "file_chooser_port.h"

#include <QList>
#include <QString>

#include <optional>

class QWidget;

namespace kestrel {

// The window's choosers for the staging pickers: modal dialogs over parent.
class FileChoosers : public FileChooserPort {
public:
    explicit FileChoosers(QWidget* parent) : m_parent(parent) {}

    std::optional<QString> ChooseExistingFile(const QString& initialName,
                                              const QList<FileFilter>& filters) override;
    std::optional<QString> ChooseFolder() override;

private:
    QWidget* m_parent;
};

// A modal chooser of one existing file. Its type list shows each filter's
// description as it is and lists the files matching that filter's patterns;
// the first filter is in force at the start and initialName stands in the
// name field. It opens in the folder of the last file chosen with the same
// first filter, in this run of the program or an earlier one. Returns the
// chosen file's full path with native separators, or nothing when the
// operator cancelled.
std::optional<QString> RunFileChooser(QWidget* parent, const QString& initialName,
                                      const QList<FileFilter>& filters);

// A modal folder chooser, opened on the folder chosen last. Returns the
// chosen folder's full path with native separators (a drive root keeps its
// trailing separator), or nothing when the operator cancelled.
std::optional<QString> RunFolderChooser(QWidget* parent);

// The path as a folder chooser reports it: native separators, and on Windows
// a bare drive name ("E:") completed to its root ("E:\").
QString NativeFolderPath(const QString& path);

} // namespace kestrel
