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

// What the tool's logic asks of whoever operates it: the choosers, and
// waiting while the rest of the program stays alive. The window answers from
// its controls; the terminal program from its command line; tests from a
// script.
class OperatorInput {
public:
    virtual ~OperatorInput() = default;

    // A modal chooser of one existing file, opened on the first filter with
    // initialName in its name field. Returns the chosen file's full path, or
    // nothing when the operator cancelled.
    virtual std::optional<QString> ChooseExistingFile(const QString& initialName,
                                                      const QList<FileFilter>& filters) = 0;

    // A modal folder chooser. Returns the chosen folder's full path, or
    // nothing when the operator cancelled.
    virtual std::optional<QString> ChooseFolder() = 0;

    // Waits about ms milliseconds while the program stays alive (events are
    // served, nothing spins).
    virtual void Wait(int ms) = 0;
};

} // namespace kestrel
