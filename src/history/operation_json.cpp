#include "operation_json.h"

#include "history_filter.h"
#include "json_line.h"

#include <QJsonArray>

namespace kestrel {

namespace {

// Bytes that are not UTF-8 come out as U+FFFD.
QString Text(const std::string& bytes) {
    return QString::fromUtf8(bytes.data(), static_cast<qsizetype>(bytes.size()));
}

} // namespace

QJsonObject OperationJson(const Operation& op) {
    const HistoryEvent& b = op.begin;
    const HistoryEvent* e = op.end ? &*op.end : nullptr;
    const auto latest = [&](std::string HistoryEvent::*field) { return Text(op.Latest(field)); };
    QJsonArray files;
    for (const StickFile& file : e && !e->stickFiles.empty() ? e->stickFiles : b.stickFiles)
        files.append(QJsonObject{{QStringLiteral("name"), Text(file.name)},
                                 {QStringLiteral("sha256"), Text(file.sha256)}});
    return {{QStringLiteral("schema"), kJsonSchema},
            {QStringLiteral("event"), QStringLiteral("operation")},
            {QStringLiteral("id"), qint64(b.id)},
            {QStringLiteral("operation"), Text(b.operation)},
            {QStringLiteral("time"), Text(FormatUtc(b.timeMs))},
            {QStringLiteral("bench"), Text(b.bench)},
            {QStringLiteral("operator"), Text(b.operatorName)},
            {QStringLiteral("face"), Text(b.face)},
            {QStringLiteral("action"), Text(b.action)},
            {QStringLiteral("address"), latest(&HistoryEvent::address)},
            {QStringLiteral("serial"), latest(&HistoryEvent::serial)},
            {QStringLiteral("model"), latest(&HistoryEvent::model)},
            {QStringLiteral("hardwareBefore"), latest(&HistoryEvent::hardwareBefore)},
            {QStringLiteral("hardwareAfter"), e ? Text(e->hardwareAfter) : QString()},
            {QStringLiteral("software"), latest(&HistoryEvent::software)},
            {QStringLiteral("target"), latest(&HistoryEvent::target)},
            {QStringLiteral("result"), Text(op.Result())},
            {QStringLiteral("changed"), e && e->changed},
            {QStringLiteral("ended"), e ? QJsonValue(Text(FormatUtc(e->timeMs))) : QJsonValue()},
            {QStringLiteral("elapsedMs"), e ? QJsonValue(qint64(e->elapsedMs)) : QJsonValue()},
            {QStringLiteral("record"), latest(&HistoryEvent::recordFile)},
            {QStringLiteral("toolVersion"), Text(b.toolVersion)},
            {QStringLiteral("files"), files},
            {QStringLiteral("signerKey"), latest(&HistoryEvent::signerKey)}};
}

QJsonObject VerdictJson(bool ok, qint64 checked, const QString& detail) {
    return {{QStringLiteral("schema"), kJsonSchema},
            {QStringLiteral("event"), QStringLiteral("verify")},
            {QStringLiteral("ok"), ok},
            {QStringLiteral("checked"), checked},
            {QStringLiteral("detail"), detail}};
}

} // namespace kestrel
