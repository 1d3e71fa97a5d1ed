#pragma once

#include "history_event.h"

#include <QByteArray>
#include <QSqlQuery>
#include <QVariant>

#include <string>

// How an event lies in a row of the table "events": the fields a history is
// searched by in columns of their own, the rest in one detail column (see
// EventDetail), and the two hashes of the chain. Texts keep their bytes
// exactly: valid UTF-8 is stored as TEXT, anything else as a BLOB, so that
// what is read back hashes as what was written.
namespace kestrel {

// The columns after the id, in the order BindEvent and ReadEvent use.
extern const char* const kEventColumns;
// Their placeholders for an INSERT.
extern const char* const kEventValues;

QVariant ToSql(const std::string& text);
std::string FromSql(const QVariant& value);

void BindEvent(QSqlQuery& query, const HistoryEvent& event, const std::string& previous,
               const std::string& hash);

// One row as it lies: the event's searched fields and id filled in, the detail
// and the hashes as bytes.
struct EventRow {
    HistoryEvent event;
    QByteArray detail;
    QByteArray previous;
    QByteArray hash;
};
// The row of a query that selected "id, " followed by kEventColumns.
EventRow ReadRow(const QSqlQuery& query);

// The whole event; a detail that does not read back leaves its fields empty.
HistoryEvent ReadEvent(const QSqlQuery& query);

} // namespace kestrel
