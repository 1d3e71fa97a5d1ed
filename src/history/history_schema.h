#pragma once

#include <QSqlDatabase>
#include <QString>

namespace kestrel {

// The layout the history's file is at, kept in SQLite's user_version.
inline constexpr int kHistorySchema = 1;

// Brings the file's layout to kHistorySchema, one step at a time from what it
// is (0: an empty file), in one transaction that another process opening the
// same file at once waits for. False, with the reason, when the file holds
// something else or a newer layout, or could not be changed.
bool MigrateHistory(QSqlDatabase& db, int busyTimeoutMs, QString* reason);

} // namespace kestrel
