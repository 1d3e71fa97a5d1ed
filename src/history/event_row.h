#pragma once

#include "history_event.h"

#include <QSqlQuery>
#include <QVariant>

#include <string>

// How an event lies in a row of the table "events". Texts keep their bytes
// exactly: valid UTF-8 is stored as TEXT, anything else as a BLOB, so that
// what is read back hashes as what was written.
namespace kestrel {

// The columns after the id, in the order BindEvent and ReadEvent use.
extern const char* const kEventColumns;
// Their 25 placeholders for an INSERT.
extern const char* const kEventValues;

QVariant ToSql(const std::string& text);
std::string FromSql(const QVariant& value);

// Binds the event's fields and its two hashes to kEventValues' placeholders.
void BindEvent(QSqlQuery& query, const HistoryEvent& event, const std::string& previous,
               const std::string& hash);
// The event in the row, its id from column 0 and its fields from column 1 on;
// the hashes, when asked for, from the two columns after them.
HistoryEvent ReadEvent(const QSqlQuery& query, std::string* previous = nullptr,
                       std::string* hash = nullptr);

} // namespace kestrel
