#include "operation_table.h"

#include "csv_line.h"
#include "history_filter.h"

#include <algorithm>
#include <array>
#include <cstdio>

namespace kestrel {

namespace {

constexpr std::array<std::string_view, 13> kColumns{
    "TIME",  "BENCH",    "OPERATOR", "FACE",   "ACTION",  "ADDRESS", "SERIAL",
    "MODEL", "HARDWARE", "TARGET",   "RESULT", "CHANGED", "SECONDS"};

// The length of the UTF-8 sequence that starts at text[i], or 0 when the
// bytes there are not one.
std::size_t SequenceLength(std::string_view text, std::size_t i) {
    const auto byte = [&](std::size_t k) { return static_cast<unsigned char>(text[k]); };
    const unsigned char lead = byte(i);
    std::size_t length = 0;
    if (lead < 0x80)
        length = 1;
    else if (lead >= 0xC2 && lead <= 0xDF)
        length = 2;
    else if (lead >= 0xE0 && lead <= 0xEF)
        length = 3;
    else if (lead >= 0xF0 && lead <= 0xF4)
        length = 4;
    if (length == 0 || i + length > text.size())
        return 0;
    for (std::size_t k = 1; k < length; ++k) {
        if ((byte(i + k) & 0xC0) != 0x80)
            return 0;
    }
    // Overlong forms, surrogates and code points beyond U+10FFFF.
    const unsigned char second = length > 1 ? byte(i + 1) : 0;
    if ((lead == 0xE0 && second < 0xA0) || (lead == 0xED && second > 0x9F) ||
        (lead == 0xF0 && second < 0x90) || (lead == 0xF4 && second > 0x8F))
        return 0;
    return length;
}

void AddHex(std::string& out, unsigned char byte) {
    char text[8];
    std::snprintf(text, sizeof text, "\\x%02x", byte);
    out += text;
}

// Characters, not bytes: the width of a cell.
std::size_t Width(std::string_view text) {
    std::size_t width = 0;
    for (const char c : text)
        width += (static_cast<unsigned char>(c) & 0xC0) != 0x80 ? 1 : 0;
    return width;
}

std::string Cell(const std::string& text) {
    return text.empty() ? "-" : ShownText(text);
}

std::vector<std::string> Row(const Operation& op, const UtcOffsetAt& offsetAt) {
    const HistoryEvent* end = op.end ? &*op.end : nullptr;
    std::string hardware = Cell(op.Latest(&HistoryEvent::hardwareBefore));
    if (end && !end->hardwareAfter.empty())
        hardware += " \u2192 " + ShownText(end->hardwareAfter);
    return {FormatLocal(op.begin.timeMs, offsetAt(op.begin.timeMs)),
            Cell(op.begin.bench),
            Cell(op.begin.operatorName),
            Cell(op.begin.face),
            Cell(op.begin.action),
            Cell(op.Latest(&HistoryEvent::address)),
            Cell(op.Latest(&HistoryEvent::serial)),
            Cell(op.Latest(&HistoryEvent::model)),
            hardware,
            Cell(op.Latest(&HistoryEvent::target)),
            Cell(op.Result()),
            end ? (end->changed ? "yes" : "no") : "-",
            end ? FormatSeconds(end->elapsedMs) : "-"};
}

} // namespace

std::string FormatLocal(std::int64_t timeMs, int utcOffsetSeconds) {
    const std::string local = FormatUtc(timeMs + utcOffsetSeconds * 1000LL);
    const int minutes = (utcOffsetSeconds < 0 ? -utcOffsetSeconds : utcOffsetSeconds) / 60;
    char offset[16];
    std::snprintf(offset, sizeof offset, " %c%02d:%02d", utcOffsetSeconds < 0 ? '-' : '+',
                  minutes / 60, minutes % 60);
    return local.substr(0, 10) + " " + local.substr(11, 8) + offset;
}

std::string ShownText(std::string_view bytes) {
    std::string out;
    out.reserve(bytes.size());
    for (std::size_t i = 0; i < bytes.size();) {
        const std::size_t length = SequenceLength(bytes, i);
        const auto lead = static_cast<unsigned char>(bytes[i]);
        const bool control =
            (length == 1 && (lead < 0x20 || lead == 0x7F)) ||
            (length == 2 && lead == 0xC2 && static_cast<unsigned char>(bytes[i + 1]) <= 0x9F);
        if (length == 0) {
            AddHex(out, lead);
            ++i;
        } else if (control) {
            for (std::size_t k = 0; k < length; ++k)
                AddHex(out, static_cast<unsigned char>(bytes[i + k]));
            i += length;
        } else {
            out.append(bytes.substr(i, length));
            i += length;
        }
    }
    return out;
}

std::string OperationsTable(const std::vector<Operation>& operations, const UtcOffsetAt& offsetAt) {
    std::vector<std::vector<std::string>> rows;
    rows.reserve(operations.size() + 1);
    rows.emplace_back(kColumns.begin(), kColumns.end());
    for (const Operation& op : operations)
        rows.push_back(Row(op, offsetAt));
    std::array<std::size_t, kColumns.size()> widths{};
    for (const auto& row : rows) {
        for (std::size_t c = 0; c < row.size(); ++c)
            widths.at(c) = std::max(widths.at(c), Width(row[c]));
    }
    std::string text;
    for (const auto& row : rows) {
        for (std::size_t c = 0; c + 1 < row.size(); ++c)
            text += row[c] + std::string(widths.at(c) - Width(row[c]) + 2, ' ');
        // The seconds to the right, as numbers are.
        text += std::string(widths.back() - Width(row.back()), ' ') + row.back() + "\n";
    }
    return text;
}

} // namespace kestrel
