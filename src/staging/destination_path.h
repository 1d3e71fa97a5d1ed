#pragma once

#include <QString>

namespace kestrel {

// The path of a file named `name` inside `folder`. The folder is taken as the
// chooser returned it; a separator is put between the two unless the folder
// already ends in one, as a drive root (E:\ or /) does.
QString JoinFolderAndName(const QString& folder, const QString& name);

// The name under which a file is written and verified before it replaces
// `finalName`, e.g. ".firm.rbf.kestrel-tmp" for "firm.rbf".
QString TemporaryNameFor(const QString& finalName);

} // namespace kestrel
