#include "destination_path.h"

#include <QDir>

namespace kestrel {

namespace {

bool EndsInSeparator(const QString& folder) {
    if (folder.isEmpty())
        return false;
    const QChar last = folder.back();
    // Qt accepts '/' on every platform; the native one adds '\' on Windows.
    return last == QLatin1Char('/') || last == QDir::separator();
}

} // namespace

QString JoinFolderAndName(const QString& folder, const QString& name) {
    if (EndsInSeparator(folder))
        return folder + name;
    return folder + QDir::separator() + name;
}

QString TemporaryNameFor(const QString& finalName) {
    return QLatin1Char('.') + finalName + QStringLiteral(".kestrel-tmp");
}

} // namespace kestrel
