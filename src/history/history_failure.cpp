#include "history_failure.h"

#include <QDir>

namespace kestrel {

QString HistorySentence(const QString& path, HistoryDoing doing, const QString& reason) {
    static const char* const kDoing[] = {"could not be opened", "was not written",
                                         "could not be read", "could not be checked"};
    return QStringLiteral("The history %1 %2: %3.")
        .arg(QDir::toNativeSeparators(path), QLatin1String(kDoing[static_cast<int>(doing)]),
             reason);
}

QString ReasonOf(const QSqlError& error, int busyTimeoutMs) {
    // QSQLITE gives SQLite's result code; its low byte is the primary code.
    bool ok = false;
    const int code = error.nativeErrorCode().toInt(&ok) & 0xff;
    const QString told = error.databaseText().isEmpty() ? error.text() : error.databaseText();
    if (!ok)
        return told;
    switch (code) {
    case 3:  // SQLITE_PERM
    case 23: // SQLITE_AUTH
        return QStringLiteral("access is denied");
    case 5: // SQLITE_BUSY
    case 6: // SQLITE_LOCKED
        return QStringLiteral("another program kept it locked for more than %1 s")
            .arg(busyTimeoutMs / 1000.0);
    case 8: // SQLITE_READONLY
        return QStringLiteral("the file is read-only for this user");
    case 10: // SQLITE_IOERR
        return QStringLiteral("the disk reported an error (%1)").arg(told);
    case 11: // SQLITE_CORRUPT
        return QStringLiteral("the file is damaged (%1)").arg(told);
    case 13: // SQLITE_FULL
        return QStringLiteral("the disk is full");
    case 14: // SQLITE_CANTOPEN
        return QStringLiteral("the file cannot be opened (%1)").arg(told);
    case 26: // SQLITE_NOTADB
        return QStringLiteral("the file is not an SQLite database");
    default:
        return told;
    }
}

} // namespace kestrel
