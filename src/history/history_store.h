#pragma once

#include "history_chain.h"
#include "history_failure.h"
#include "operation_fold.h"

#include <QString>
#include <QStringList>

#include <cstdint>
#include <optional>
#include <vector>

// The production history of a bench: one SQLite file that both faces and any
// number of their processes and threads append to and read at once.
//
// Through Qt's QSQLITE driver rather than libsqlite3 itself: Qt is already
// every layer's ground, the driver is Debian's (libqt6sql6-sqlite, on the
// system's libsqlite3) and ships with Qt on Windows, each thread gets its own
// named connection by Qt's rules, and its errors come as QSqlError with
// SQLite's own result code. What the driver does not wrap (the journal, the
// busy timeout, BEGIN IMMEDIATE, user_version, the integrity check) is plain
// SQL through it.
//
// The file is kept in WAL mode (readers never wait for the one writer; the
// folder must be on a local disk, as WAL needs shared memory), with full
// synchronisation (an event whose append returned survives a power loss) and
// a busy timeout for the moments when another process is appending. No
// failure throws or crashes: each comes back as one sentence naming the file
// and the reason, and a failed append writes nothing, leaving what was there.
namespace kestrel {

class HistoryStore {
public:
    struct Options {
        int busyTimeoutMs = 10'000; // how long to wait for another writer
        bool createFolder = false;  // make the file's folder when missing
    };

    // The chain's checks over the whole history.
    struct Verdict {
        std::int64_t checked = 0; // events found intact, from the first on
        std::optional<ChainBreak> broken;
    };

    HistoryStore();
    ~HistoryStore();
    HistoryStore(const HistoryStore&) = delete;
    HistoryStore& operator=(const HistoryStore&) = delete;

    // Opens the file, creating it and its layout when it is missing or empty.
    // A store is opened once, and used on the thread that opened it.
    bool Open(const QString& path, QString* error, Options options);
    bool Open(const QString& path, QString* error) { return Open(path, error, Options()); }
    QString Path() const { return m_path; }

    // Appends the events in this order, in one transaction, each chained to
    // the one before; gives each its id. All or none are written.
    bool Append(std::vector<HistoryEvent>& events, QString* error);

    // The operations the filter lets through, newest first.
    bool ReadOperations(const OperationFilter& filter, const ProcessGone& gone,
                        std::vector<Operation>* operations, QString* error);

    // Walks the whole chain, one event at a time.
    bool Verify(Verdict* verdict, QString* error);

    // SQLite's own check of the file's structure: empty when it is sound, else
    // the problems it lists.
    bool CheckIntegrity(QStringList* problems, QString* error);

private:
    bool Ready(HistoryDoing doing, QString* error) const;
    bool Fail(HistoryDoing doing, const QString& reason, QString* error) const;
    bool Exec(const QString& sql, QString* reason) const;

    QString m_path;
    QString m_connection; // Qt's name of this store's connection
    Options m_options;
};

} // namespace kestrel
