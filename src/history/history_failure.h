#pragma once

#include <QSqlError>
#include <QString>

namespace kestrel {

// What was being done with the history when it failed.
enum class HistoryDoing { Open, Write, Read, Check };

// One sentence for the operator, naming the file and the reason:
// "The history /x/history.sqlite was not written: the file is read-only for
// this user."
QString HistorySentence(const QString& path, HistoryDoing doing, const QString& reason);

// The reason SQLite gave, in plain words where they are known.
QString ReasonOf(const QSqlError& error, int busyTimeoutMs);

} // namespace kestrel
