#include "history_schema.h"

#include "history_failure.h"

#include <QSqlQuery>

#include <array>
#include <vector>

namespace kestrel {

namespace {

// What each step does: step n brings layout n-1 to n.
const std::array<std::vector<const char*>, kHistorySchema> kSteps{{
    {
        // Events are appended and never changed: the triggers refuse an update
        // or a removal made by mistake (one made on purpose shows in the chain).
        // AUTOINCREMENT keeps the highest id ever given, so that removing the
        // newest events shows too. The fields searched by have columns; the
        // rest of an event is its detail, as EventDetail() writes it.
        "CREATE TABLE events ("
        " id INTEGER PRIMARY KEY AUTOINCREMENT, time INTEGER NOT NULL,"
        " action TEXT NOT NULL, phase TEXT NOT NULL, operation TEXT NOT NULL,"
        " serial TEXT NOT NULL, result TEXT NOT NULL, detail BLOB NOT NULL,"
        " prev BLOB NOT NULL, hash BLOB NOT NULL)",
        "CREATE INDEX events_serial ON events (serial)",
        "CREATE INDEX events_time ON events (time)",
        "CREATE TRIGGER events_no_update BEFORE UPDATE ON events"
        " BEGIN SELECT RAISE(ABORT, 'history events are never changed'); END",
        "CREATE TRIGGER events_no_delete BEFORE DELETE ON events"
        " BEGIN SELECT RAISE(ABORT, 'history events are never removed'); END",
    },
}};

bool Run(QSqlDatabase& db, const QString& sql, int busyTimeoutMs, QString* reason,
         QVariant* first = nullptr) {
    QSqlQuery query(db);
    if (!query.exec(sql)) {
        *reason = ReasonOf(query.lastError(), busyTimeoutMs);
        return false;
    }
    if (first)
        *first = query.next() ? query.value(0) : QVariant();
    return true;
}

} // namespace

bool MigrateHistory(QSqlDatabase& db, int busyTimeoutMs, QString* reason) {
    QVariant version;
    if (!Run(db, QStringLiteral("PRAGMA user_version"), busyTimeoutMs, reason, &version))
        return false;
    if (version.toInt() == kHistorySchema) // the usual case: no write needed
        return true;
    if (!Run(db, QStringLiteral("BEGIN IMMEDIATE"), busyTimeoutMs, reason))
        return false;
    // Read again: another process may have brought it along meanwhile.
    QVariant tables;
    bool ok = Run(db, QStringLiteral("PRAGMA user_version"), busyTimeoutMs, reason, &version) &&
              Run(db, QStringLiteral("SELECT count(*) FROM sqlite_master"), busyTimeoutMs, reason,
                  &tables);
    const int from = version.toInt();
    if (ok && from > kHistorySchema) {
        *reason = QStringLiteral("it was written by a newer version of Kestrel_FlashTool "
                                 "(layout %1; this version knows up to %2)")
                      .arg(from)
                      .arg(kHistorySchema);
        ok = false;
    } else if (ok && from == 0 && tables.toInt() > 0) {
        *reason = QStringLiteral("it is an SQLite database of another program");
        ok = false;
    }
    for (int step = from; ok && step < kHistorySchema; ++step) {
        for (const char* sql : kSteps.at(static_cast<std::size_t>(step)))
            ok = ok && Run(db, QString::fromLatin1(sql), busyTimeoutMs, reason);
    }
    ok = ok &&
         Run(db, QStringLiteral("PRAGMA user_version = %1").arg(kHistorySchema), busyTimeoutMs,
             reason) &&
         Run(db, QStringLiteral("COMMIT"), busyTimeoutMs, reason);
    if (!ok)
        QSqlQuery(db).exec(QStringLiteral("ROLLBACK"));
    return ok;
}

} // namespace kestrel
