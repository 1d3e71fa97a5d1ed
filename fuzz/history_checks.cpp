#include "history_checks.h"

#include "csv_line.h"
#include "history_chain.h"
#include "operation_fold.h"
#include "operation_table.h"
#include "pending_rule.h"
#include "require.h"

#include <cstdint>
#include <string>
#include <vector>

namespace kestrel::fuzz {

namespace {

// Not a secure hash: 32 bytes of four FNV-1a runs, enough for the chain's rules.
std::string ToyHash(std::string_view bytes) {
    std::string out;
    for (std::uint64_t seed = 1; seed <= 4; ++seed) {
        std::uint64_t h = 1469598103934665603ULL ^ seed;
        for (const char c : bytes)
            h = (h ^ static_cast<unsigned char>(c)) * 1099511628211ULL;
        for (int i = 0; i < 8; ++i)
            out += static_cast<char>(h >> (8 * i));
    }
    return out;
}

// Splits on a byte; an empty tail counts.
std::vector<std::string_view> Split(std::string_view text, char separator) {
    std::vector<std::string_view> parts;
    for (std::size_t start = 0;;) {
        const std::size_t end = text.find(separator, start);
        parts.push_back(text.substr(start, end - start));
        if (end == std::string_view::npos)
            return parts;
        start = end + 1;
    }
}

// Reads one CSV line as RFC 4180 writes it.
std::vector<std::string> ReadCsv(std::string_view line) {
    Require(line.ends_with("\r\n"));
    line.remove_suffix(2);
    std::vector<std::string> fields(1);
    bool quoted = false;
    for (std::size_t i = 0; i < line.size(); ++i) {
        const char c = line[i];
        if (quoted && c == '"' && i + 1 < line.size() && line[i + 1] == '"')
            fields.back() += line[++i];
        else if (c == '"')
            quoted = !quoted;
        else if (c == ',' && !quoted)
            fields.emplace_back();
        else
            fields.back() += c;
    }
    Require(!quoted);
    return fields;
}

// "phase|operation|serial|action|result|hardware before|target" per line.
std::vector<HistoryEvent> ReadEvents(std::string_view bytes) {
    std::vector<HistoryEvent> events;
    for (const std::string_view line : Split(bytes, '\n')) {
        const std::vector<std::string_view> f = Split(line, '|');
        HistoryEvent e;
        e.id = static_cast<std::int64_t>(events.size()) + 1;
        e.timeMs = e.id * 1000;
        const auto at = [&](std::size_t i) { return std::string(i < f.size() ? f[i] : ""); };
        e.phase = at(0) == "b" ? std::string(history::kBegin) : at(0) == "e" ? "end" : at(0);
        e.operation = at(1);
        e.serial = at(2);
        e.action = at(3);
        e.result = at(4);
        e.hardwareBefore = at(5);
        e.target = at(6);
        e.pid = static_cast<std::int64_t>(line.size());
        e.recordFile = line;
        HistoryEvent back;
        Require(ReadEventDetail(EventDetail(e), back) && EventDetail(back) == EventDetail(e));
        events.push_back(e);
    }
    return events;
}

// Characters, not bytes.
std::size_t Width(std::string_view text) {
    std::size_t width = 0;
    for (const char c : text)
        width += (static_cast<unsigned char>(c) & 0xC0) != 0x80 ? 1 : 0;
    return width;
}

// What the table shows steers no terminal, and showing it again changes
// nothing: it is plain UTF-8 already. Its lines, one per operation and the
// header, are all as wide.
void CheckTable(std::string_view bytes, const std::vector<Operation>& ops) {
    const std::string shown = ShownText(bytes);
    Require(ShownText(shown) == shown);
    for (std::size_t i = 0; i < shown.size(); ++i) {
        const auto c = static_cast<unsigned char>(shown[i]);
        Require(c >= 0x20 && c != 0x7F);
        Require(c != 0xC2 || i + 1 == shown.size() ||
                static_cast<unsigned char>(shown[i + 1]) > 0x9F);
    }
    const std::string table = OperationsTable(ops, [](std::int64_t ms) { return ms % 3 * 1800; });
    const std::vector<std::string_view> lines = Split(table, '\n');
    Require(lines.size() == ops.size() + 2 && lines.back().empty());
    for (std::size_t i = 1; i + 1 < lines.size(); ++i)
        Require(Width(lines[i]) == Width(lines[0]));
}

} // namespace

void CheckHistoryRules(std::string_view bytes) {
    if (const auto files = DecodeStickFiles(bytes))
        Require(EncodeStickFiles(*files) == bytes);
    HistoryEvent read;
    if (ReadEventDetail(bytes, read))
        Require(EventDetail(read) == bytes);
    for (const bool endOfDay : {false, true}) {
        if (const auto ms = ParseFilterDate(bytes, endOfDay))
            Require(ParseFilterDate(FormatUtc(*ms), false) == ms);
    }

    const std::vector<HistoryEvent> events = ReadEvents(bytes);
    ChainWalk walk(ToyHash);
    std::string previous = FirstPreviousHash();
    std::vector<std::string> hashes;
    for (const HistoryEvent& e : events) {
        hashes.push_back(ChainHash(ToyHash, previous, e));
        Require(!walk.Feed(e, previous, hashes.back()));
        previous = hashes.back();
    }
    Require(!walk.Finish(static_cast<std::int64_t>(events.size())));
    Require(walk.Checked() == static_cast<std::int64_t>(events.size()));

    // One event changed, chosen by the bytes: the walk stops there, naming it.
    const std::size_t changed = bytes.size() % events.size();
    ChainWalk again(ToyHash);
    for (std::size_t i = 0; i < events.size(); ++i) {
        HistoryEvent e = events[i];
        e.serial += i == changed ? "!" : "";
        const auto found = again.Feed(e, i == 0 ? FirstPreviousHash() : hashes[i - 1], hashes[i]);
        Require(found.has_value() == (i == changed));
        if (found) {
            Require(found->kind == ChainBreak::Kind::Changed && found->id == e.id);
            break;
        }
    }

    OperationFilter filter;
    filter.last = bytes.empty() ? 0 : static_cast<unsigned char>(bytes.back()) % 4;
    OperationFold fold(filter, [](const HistoryEvent& e) { return e.pid % 2 == 0; });
    for (auto e = events.rbegin(); e != events.rend() && fold.Take(*e); ++e) {
    }
    const std::vector<Operation>& ops = fold.Operations();
    Require(filter.last == 0 || ops.size() <= static_cast<std::size_t>(filter.last));
    // Unlimited, every begin is one operation.
    std::size_t begins = 0;
    for (const HistoryEvent& e : events)
        begins += e.phase == history::kBegin ? 1 : 0;
    Require(filter.last != 0 || ops.size() == begins);
    std::size_t lines = 0;
    for (const char c : OperationsCsv(ops))
        lines += c == '\n' ? 1 : 0;
    Require(lines >= ops.size() + 1);
    for (std::size_t i = 0; i < ops.size(); ++i) {
        const Operation& op = ops[i];
        Require(op.begin.phase == history::kBegin);
        Require(i == 0 || ops[i - 1].begin.id > op.begin.id);
        Require(!op.end || (op.end->operation == op.begin.operation && op.end->id > op.begin.id));
        Require(op.end.has_value() == (op.state == Operation::State::Ended));
        const std::vector<std::string> fields = OperationCsvFields(op);
        Require(fields.size() == OperationCsvHeader().size());
        Require(ReadCsv(CsvLine(fields)) == fields);
    }
    CheckTable(bytes, ops);
    if (!events.empty()) {
        const HistoryEvent& last = events.back();
        if (const auto run =
                PowerCyclePending(last.serial, last.hardwareBefore, last.target, ops)) {
            bool found = false;
            for (const Operation& op : ops)
                found = found || (op.begin.id == run->beginId && op.end &&
                                  (op.end->result == "ok" || op.end->result == "no-power-cycle"));
            Require(found);
        }
    }
}

} // namespace kestrel::fuzz
