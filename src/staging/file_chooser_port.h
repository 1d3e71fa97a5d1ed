#pragma once

#include <QList>
#include <QString>
#include <QStringList>

#include <optional>

namespace kestrel {

// One entry of a file chooser's type list: the text the operator sees and
// the name patterns it lists.
struct FileFilter {
    QString description;  // for example "Raw Binary File (*.rbf)"
    QStringList patterns; // for example {"*.rbf"}; {"*"} lists every file
};

// The choosers the staging pickers ask the operator through. The window
// answers with its modal dialogs; tests from a script.
class FileChooserPort {
public:
    virtual ~FileChooserPort() = default;

    // A modal chooser of one existing file, opened on the first filter with
    // initialName in its name field. Returns the chosen file's full path, or
    // nothing when the operator cancelled.
    virtual std::optional<QString> ChooseExistingFile(const QString& initialName,
                                                      const QList<FileFilter>& filters) = 0;

    // A modal folder chooser. Returns the chosen folder's full path, or
    // nothing when the operator cancelled.
    virtual std::optional<QString> ChooseFolder() = 0;
};

} // namespace kestrel
