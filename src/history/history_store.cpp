#include "history_store.h"

#include "event_row.h"
#include "history_schema.h"
#include "history_sha256.h"

#include <QAtomicInteger>
#include <QDir>
#include <QFileInfo>
#include <QSqlDatabase>
#include <QSqlQuery>

namespace kestrel {

namespace {

// SQLite says only that it cannot open a file that this user may not write,
// in a folder that this user may not write either (the journal's files go
// beside it).
std::optional<QString> ReadOnlyReason(const QString& path) {
    const QFileInfo file(path);
    if (file.exists() && !file.isWritable())
        return QStringLiteral("the file is read-only for this user");
    if (!QFileInfo(file.absolutePath()).isWritable())
        return QStringLiteral("its folder %1 is read-only for this user")
            .arg(QDir::toNativeSeparators(file.absolutePath()));
    return std::nullopt;
}

QString NewConnectionName() {
    static QAtomicInteger<quint64> count;
    return QStringLiteral("kestrel-history-%1").arg(count.fetchAndAddRelaxed(1));
}

} // namespace

HistoryStore::HistoryStore() : m_connection(NewConnectionName()) {}

HistoryStore::~HistoryStore() {
    if (!QSqlDatabase::contains(m_connection))
        return;
    QSqlDatabase::database(m_connection, false).close();
    QSqlDatabase::removeDatabase(m_connection);
}

bool HistoryStore::Fail(HistoryDoing doing, const QString& reason, QString* error) const {
    if (error)
        *error = HistorySentence(m_path, doing, reason);
    return false;
}

bool HistoryStore::Exec(const QString& sql, QString* reason) const {
    QSqlQuery query(QSqlDatabase::database(m_connection, false));
    if (query.exec(sql))
        return true;
    *reason = ReasonOf(query.lastError(), m_options.busyTimeoutMs);
    return false;
}

bool HistoryStore::Open(const QString& path, QString* error, Options options) {
    m_path = path;
    m_options = options;
    const QDir folder = QFileInfo(path).absoluteDir();
    if (options.createFolder && !folder.exists() && !QDir().mkpath(folder.absolutePath()))
        return Fail(HistoryDoing::Open,
                    QStringLiteral("its folder %1 could not be made")
                        .arg(QDir::toNativeSeparators(folder.absolutePath())),
                    error);
    if (!folder.exists())
        return Fail(HistoryDoing::Open,
                    QStringLiteral("its folder %1 does not exist")
                        .arg(QDir::toNativeSeparators(folder.absolutePath())),
                    error);
    if (QFileInfo(path).isDir())
        return Fail(HistoryDoing::Open, QStringLiteral("it is a folder"), error);
    if (!QSqlDatabase::isDriverAvailable(QStringLiteral("QSQLITE")))
        return Fail(HistoryDoing::Open,
                    QStringLiteral("Qt's SQLite driver (QSQLITE) is not installed"), error);
    QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), m_connection);
    db.setDatabaseName(path);
    db.setConnectOptions(QStringLiteral("QSQLITE_BUSY_TIMEOUT=%1").arg(options.busyTimeoutMs));
    if (!db.open())
        return Fail(HistoryDoing::Open,
                    ReadOnlyReason(path).value_or(ReasonOf(db.lastError(), options.busyTimeoutMs)),
                    error);
    QString reason;
    // SQLite reads the file at the first statement: a file that is not a
    // database says so here. Reads go through a memory map, without a system
    // call per page. The journal changes only once the file is known for a
    // history, so that another program's database is left as it was.
    if (!Exec(QStringLiteral("PRAGMA synchronous = FULL"), &reason) ||
        !Exec(QStringLiteral("PRAGMA mmap_size = 1073741824"), &reason) ||
        !MigrateHistory(db, options.busyTimeoutMs, &reason) ||
        !Exec(QStringLiteral("PRAGMA journal_mode = WAL"), &reason)) {
        db.close();
        return Fail(HistoryDoing::Open, ReadOnlyReason(path).value_or(reason), error);
    }
    return true;
}

bool HistoryStore::Ready(HistoryDoing doing, QString* error) const {
    if (QSqlDatabase::database(m_connection, false).isOpen())
        return true;
    return Fail(doing, QStringLiteral("it was not opened"), error);
}

bool HistoryStore::Append(std::vector<HistoryEvent>& events, QString* error) {
    if (!Ready(HistoryDoing::Write, error))
        return false;
    QSqlDatabase db = QSqlDatabase::database(m_connection, false);
    QString reason;
    if (!Exec(QStringLiteral("BEGIN IMMEDIATE"), &reason))
        return Fail(HistoryDoing::Write, reason, error);
    QSqlQuery last(db);
    bool ok = last.exec(QStringLiteral("SELECT hash FROM events ORDER BY id DESC LIMIT 1"));
    std::string previous =
        ok && last.next() ? last.value(0).toByteArray().toStdString() : FirstPreviousHash();
    QSqlQuery insert(db);
    ok = ok && insert.prepare(QStringLiteral("INSERT INTO events (%1) VALUES (%2)")
                                  .arg(QLatin1String(kEventColumns), QLatin1String(kEventValues)));
    std::vector<std::int64_t> ids;
    for (std::size_t i = 0; ok && i < events.size(); ++i) {
        const std::string hash = ChainHash(HistorySha256, previous, events[i]);
        BindEvent(insert, events[i], previous, hash);
        ok = insert.exec();
        ids.push_back(insert.lastInsertId().toLongLong());
        previous = hash;
    }
    if (!ok)
        reason = ReasonOf(last.lastError().isValid() ? last.lastError() : insert.lastError(),
                          m_options.busyTimeoutMs);
    last.finish();
    insert.finish();
    if (ok && !Exec(QStringLiteral("COMMIT"), &reason))
        ok = false;
    if (!ok) {
        QString ignored;
        Exec(QStringLiteral("ROLLBACK"), &ignored);
        return Fail(HistoryDoing::Write, reason, error);
    }
    for (std::size_t i = 0; i < events.size(); ++i)
        events[i].id = ids[i];
    return true;
}

bool HistoryStore::ReadOperations(const OperationFilter& filter, const ProcessGone& gone,
                                  std::vector<Operation>* operations, QString* error) {
    if (!Ready(HistoryDoing::Read, error))
        return false;
    QSqlQuery query(QSqlDatabase::database(m_connection, false));
    query.setForwardOnly(true);
    // Only the serial and the start narrow what is read: an operation's end
    // may come after --until, and its result is known only when it is folded.
    QStringList where;
    if (!filter.serial.empty())
        where << QStringLiteral("serial = :serial");
    // From the first event since then on: SQLite finds it in the index of
    // times, and reads the table backwards from the newest down to it.
    if (filter.sinceMs)
        where << QStringLiteral("time >= :since")
              << QStringLiteral("id >= (SELECT min(id) FROM events INDEXED BY events_time"
                                " WHERE time >= :first)");
    const QString sql =
        QStringLiteral("SELECT id, %1 FROM events %2 ORDER BY id DESC")
            .arg(QLatin1String(kEventColumns),
                 where.isEmpty() ? QString()
                                 : QStringLiteral("WHERE ") + where.join(QStringLiteral(" AND ")));
    bool ok = query.prepare(sql);
    if (!filter.serial.empty())
        query.bindValue(QStringLiteral(":serial"), ToSql(filter.serial));
    if (filter.sinceMs) {
        query.bindValue(QStringLiteral(":since"), qint64(*filter.sinceMs));
        query.bindValue(QStringLiteral(":first"), qint64(*filter.sinceMs));
    }
    if (!ok || !query.exec())
        return Fail(HistoryDoing::Read, ReasonOf(query.lastError(), m_options.busyTimeoutMs),
                    error);
    OperationFold fold(filter, gone);
    while (query.next() && fold.Take(ReadEvent(query))) {
    }
    if (query.lastError().isValid())
        return Fail(HistoryDoing::Read, ReasonOf(query.lastError(), m_options.busyTimeoutMs),
                    error);
    *operations = fold.Operations();
    return true;
}

bool HistoryStore::Verify(Verdict* verdict, QString* error) {
    if (!Ready(HistoryDoing::Check, error))
        return false;
    QSqlDatabase db = QSqlDatabase::database(m_connection, false);
    QString reason;
    // One read transaction: the highest id given and the events as of the
    // same moment, whatever other processes append meanwhile.
    if (!Exec(QStringLiteral("BEGIN"), &reason))
        return Fail(HistoryDoing::Check, reason, error);
    QSqlQuery query(db);
    query.setForwardOnly(true);
    bool ok = query.exec(QStringLiteral("SELECT seq FROM sqlite_sequence WHERE name = 'events'"));
    const std::int64_t lastGiven = ok && query.next() ? query.value(0).toLongLong() : 0;
    ok = ok && query.exec(QStringLiteral("SELECT id, %1 FROM events ORDER BY id")
                              .arg(QLatin1String(kEventColumns)));
    ChainWalk walk(HistorySha256);
    *verdict = {};
    const auto view = [](const QByteArray& bytes) {
        return std::string_view(bytes.constData(), static_cast<std::size_t>(bytes.size()));
    };
    while (ok && !verdict->broken && query.next()) {
        const EventRow row = ReadRow(query);
        verdict->broken = walk.Feed(row.event.id, CanonicalContent(row.event, view(row.detail)),
                                    view(row.previous), view(row.hash));
    }
    if (ok && query.lastError().isValid())
        ok = false;
    if (!ok)
        reason = ReasonOf(query.lastError(), m_options.busyTimeoutMs);
    query.finish();
    QString ignored;
    Exec(QStringLiteral("COMMIT"), &ignored);
    if (!ok)
        return Fail(HistoryDoing::Check, reason, error);
    if (!verdict->broken)
        verdict->broken = walk.Finish(lastGiven);
    verdict->checked = walk.Checked();
    return true;
}

bool HistoryStore::CheckIntegrity(QStringList* problems, QString* error) {
    if (!Ready(HistoryDoing::Check, error))
        return false;
    QSqlQuery query(QSqlDatabase::database(m_connection, false));
    if (!query.exec(QStringLiteral("PRAGMA integrity_check")))
        return Fail(HistoryDoing::Check, ReasonOf(query.lastError(), m_options.busyTimeoutMs),
                    error);
    problems->clear();
    while (query.next()) {
        if (query.value(0).toString() != QLatin1String("ok"))
            *problems << query.value(0).toString();
    }
    return true;
}

} // namespace kestrel
