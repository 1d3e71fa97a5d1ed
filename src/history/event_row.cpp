#include "event_row.h"

namespace kestrel {

const char* const kEventColumns =
    "time, action, phase, operation, serial, result, detail, prev, hash";
const char* const kEventValues = "?, ?, ?, ?, ?, ?, ?, ?, ?";

namespace {

QByteArray Bytes(const std::string& text) {
    return QByteArray(text.data(), static_cast<qsizetype>(text.size()));
}

} // namespace

QVariant ToSql(const std::string& text) {
    const QByteArray bytes = Bytes(text);
    const QString decoded = QString::fromUtf8(bytes);
    if (decoded.toUtf8() == bytes)
        return decoded;
    return bytes;
}

std::string FromSql(const QVariant& value) {
    const QByteArray bytes =
        value.typeId() == QMetaType::QByteArray ? value.toByteArray() : value.toString().toUtf8();
    return bytes.toStdString();
}

void BindEvent(QSqlQuery& q, const HistoryEvent& e, const std::string& previous,
               const std::string& hash) {
    q.bindValue(0, qint64(e.timeMs));
    int i = 1;
    for (const std::string* text : {&e.action, &e.phase, &e.operation, &e.serial, &e.result})
        q.bindValue(i++, ToSql(*text));
    q.bindValue(i++, Bytes(EventDetail(e)));
    q.bindValue(i++, Bytes(previous));
    q.bindValue(i++, Bytes(hash));
}

EventRow ReadRow(const QSqlQuery& q) {
    EventRow row;
    HistoryEvent& e = row.event;
    e.id = q.value(0).toLongLong();
    e.timeMs = q.value(1).toLongLong();
    int i = 2;
    for (std::string* text : {&e.action, &e.phase, &e.operation, &e.serial, &e.result})
        *text = FromSql(q.value(i++));
    row.detail = q.value(i++).toByteArray();
    row.previous = q.value(i++).toByteArray();
    row.hash = q.value(i++).toByteArray();
    return row;
}

HistoryEvent ReadEvent(const QSqlQuery& q) {
    EventRow row = ReadRow(q);
    ReadEventDetail({row.detail.constData(), static_cast<std::size_t>(row.detail.size())},
                    row.event);
    return std::move(row.event);
}

} // namespace kestrel
