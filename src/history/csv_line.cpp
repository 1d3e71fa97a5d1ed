#include "csv_line.h"

#include "history_filter.h"

#include <cstdio>

namespace kestrel {

namespace {

std::string Quoted(std::string_view field) {
    if (field.find_first_of(",\"\r\n") == std::string_view::npos)
        return std::string(field);
    std::string out = "\"";
    for (const char c : field) {
        out += c;
        if (c == '"')
            out += '"';
    }
    return out + '"';
}

std::string StickFiles(const std::vector<StickFile>& files) {
    std::string out;
    for (const StickFile& file : files)
        out += (out.empty() ? "" : ";") + file.name + "=" + file.sha256;
    return out;
}

} // namespace

std::string FormatSeconds(std::int64_t ms) {
    char text[32];
    std::snprintf(text, sizeof text, "%lld.%lld", static_cast<long long>(ms / 1000),
                  static_cast<long long>(ms % 1000 / 100));
    return text;
}

std::string CsvLine(const std::vector<std::string>& fields) {
    std::string line;
    for (std::size_t i = 0; i < fields.size(); ++i) {
        if (i > 0)
            line += ',';
        line += Quoted(fields[i]);
    }
    return line + "\r\n";
}

std::vector<std::string> OperationCsvHeader() {
    return {
        "id",           "time",        "bench",     "operator",        "face",           "action",
        "address",      "serial",      "model",     "hardware before", "hardware after", "software",
        "target",       "result",      "changed",   "seconds",         "ended",          "record",
        "tool version", "stick files", "signer key"};
}

std::vector<std::string> OperationCsvFields(const Operation& op) {
    const HistoryEvent& b = op.begin;
    const HistoryEvent* e = op.end ? &*op.end : nullptr;
    const auto latest = [&](std::string HistoryEvent::*field) { return op.Latest(field); };
    return {std::to_string(b.id),
            FormatUtc(b.timeMs),
            b.bench,
            b.operatorName,
            b.face,
            b.action,
            latest(&HistoryEvent::address),
            latest(&HistoryEvent::serial),
            latest(&HistoryEvent::model),
            latest(&HistoryEvent::hardwareBefore),
            e ? e->hardwareAfter : std::string(),
            latest(&HistoryEvent::software),
            latest(&HistoryEvent::target),
            op.Result(),
            e && e->changed ? "yes" : "no",
            e ? FormatSeconds(e->elapsedMs) : std::string(),
            e ? FormatUtc(e->timeMs) : std::string(),
            latest(&HistoryEvent::recordFile),
            b.toolVersion,
            StickFiles(e && !e->stickFiles.empty() ? e->stickFiles : b.stickFiles),
            latest(&HistoryEvent::signerKey)};
}

std::string OperationsCsv(const std::vector<Operation>& operations) {
    std::string text = CsvLine(OperationCsvHeader());
    for (const Operation& operation : operations)
        text += CsvLine(OperationCsvFields(operation));
    return text;
}

} // namespace kestrel
