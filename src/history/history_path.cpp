#include "history_path.h"

#include <QDir>
#include <QStandardPaths>

namespace kestrel {

bool IsDefaultHistoryPath(const QString& given) {
    return given.isEmpty() && qEnvironmentVariable("KESTREL_FLASH_HISTORY").isEmpty();
}

QString HistoryPath(const QString& given) {
    if (!given.isEmpty())
        return given;
    const QString fromEnvironment = qEnvironmentVariable("KESTREL_FLASH_HISTORY");
    if (!fromEnvironment.isEmpty())
        return fromEnvironment;
    // The generic location: the application's own would carry each
    // program's name and so part the window's history from the terminal's.
    return QDir(QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation))
        .filePath(QStringLiteral("Kestrel_FlashTool/history.sqlite"));
}

} // namespace kestrel
