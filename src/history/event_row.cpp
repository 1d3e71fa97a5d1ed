#include "event_row.h"

namespace kestrel {

const char* const kEventColumns =
    "time, bench, operator, face, action, phase, operation, address, serial, model, hw_before, "
    "hw_after, software, target, result, changed, elapsed_ms, record, tool, stick, signer, pid, "
    "process_start, prev, hash";
const char* const kEventValues =
    "?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?";

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
    for (const std::string* text :
         {&e.bench, &e.operatorName, &e.face, &e.action, &e.phase, &e.operation, &e.address,
          &e.serial, &e.model, &e.hardwareBefore, &e.hardwareAfter, &e.software, &e.target,
          &e.result})
        q.bindValue(i++, ToSql(*text));
    q.bindValue(i++, e.changed ? 1 : 0);
    q.bindValue(i++, qint64(e.elapsedMs));
    q.bindValue(i++, ToSql(e.recordFile));
    q.bindValue(i++, ToSql(e.toolVersion));
    q.bindValue(i++, Bytes(EncodeStickFiles(e.stickFiles)));
    q.bindValue(i++, ToSql(e.signerKey));
    q.bindValue(i++, qint64(e.pid));
    q.bindValue(i++, ToSql(e.processStart));
    q.bindValue(i++, Bytes(previous));
    q.bindValue(i++, Bytes(hash));
}

HistoryEvent ReadEvent(const QSqlQuery& q, std::string* previous, std::string* hash) {
    HistoryEvent e;
    e.id = q.value(0).toLongLong();
    e.timeMs = q.value(1).toLongLong();
    int i = 2;
    for (std::string* text : {&e.bench, &e.operatorName, &e.face, &e.action, &e.phase, &e.operation,
                              &e.address, &e.serial, &e.model, &e.hardwareBefore, &e.hardwareAfter,
                              &e.software, &e.target, &e.result})
        *text = FromSql(q.value(i++));
    e.changed = q.value(i++).toInt() != 0;
    e.elapsedMs = q.value(i++).toLongLong();
    e.recordFile = FromSql(q.value(i++));
    e.toolVersion = FromSql(q.value(i++));
    // Stick files that do not read back keep their bytes in one nameless entry,
    // so that the chain sees them changed rather than gone.
    const std::string stick = q.value(i++).toByteArray().toStdString();
    e.stickFiles = DecodeStickFiles(stick).value_or(std::vector<StickFile>{{stick, "?"}});
    e.signerKey = FromSql(q.value(i++));
    e.pid = q.value(i++).toLongLong();
    e.processStart = FromSql(q.value(i++));
    if (previous)
        *previous = q.value(i).toByteArray().toStdString();
    if (hash)
        *hash = q.value(i + 1).toByteArray().toStdString();
    return e;
}

} // namespace kestrel
