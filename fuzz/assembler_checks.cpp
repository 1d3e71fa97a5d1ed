#include "assembler_checks.h"

#include "line_assembler.h"
#include "require.h"

#include <algorithm>

namespace kestrel::fuzz {

namespace {

constexpr std::size_t kMaxLine = LineAssembler::kMaxLineBytes;

// The reply lines that a stream holds, worked out without the assembler:
// each line feed ends a line; a 13 right before it goes with it; the text
// keeps at most kMaxLine bytes and ends at a zero byte.
std::vector<std::string> ExpectedLines(std::string_view bytes) {
    std::vector<std::string> lines;
    std::size_t start = 0;
    for (std::size_t lf = bytes.find('\n'); lf != std::string_view::npos;
         lf = bytes.find('\n', start)) {
        std::string_view line = bytes.substr(start, lf - start);
        if (!line.empty() && line.back() == '\r')
            line.remove_suffix(1);
        line = line.substr(0, std::min(line.size(), kMaxLine));
        line = line.substr(0, line.find('\0'));
        lines.emplace_back(line);
        start = lf + 1;
    }
    return lines;
}

// Bytes after the last line feed: the line still being received.
std::size_t UnfinishedBytes(std::string_view bytes) {
    const std::size_t lf = bytes.rfind('\n');
    return lf == std::string_view::npos ? bytes.size() : bytes.size() - lf - 1;
}

void CheckLines(const std::vector<std::string>& lines) {
    for (const std::string& line : lines) {
        Require(line.size() <= kMaxLine);
        Require(line.find('\n') == std::string::npos);
        Require(line.find('\0') == std::string::npos);
    }
}

void CheckPending(const LineAssembler& assembler, std::string_view fedSoFar) {
    const std::size_t unfinished = UnfinishedBytes(fedSoFar);
    // The dropped rest of an overlong line is not kept; one byte beyond the
    // limit may be, as it may be the 13 of the line end.
    Require(assembler.PendingBytes() <= kMaxLine + 1);
    if (unfinished <= kMaxLine)
        Require(assembler.PendingBytes() == unfinished);
}

} // namespace

std::vector<std::string> CheckLineAssembler(std::string_view bytes, std::size_t cut) {
    const std::vector<std::string> expected = ExpectedLines(bytes);
    CheckLines(expected);
    cut %= bytes.size() + 1;
    const std::string_view head = bytes.substr(0, cut);
    const std::string_view tail = bytes.substr(cut);

    // In one piece.
    LineAssembler whole;
    std::vector<std::string> lines;
    whole.Feed(bytes, lines);
    CheckLines(lines);
    Require(lines == expected);
    CheckPending(whole, bytes);

    // In two pieces.
    LineAssembler two;
    std::vector<std::string> twoLines;
    two.Feed(head, twoLines);
    CheckPending(two, head);
    two.Feed(tail, twoLines);
    Require(twoLines == expected);
    CheckPending(two, bytes);

    // One byte at a time, as a slow camera sends them.
    LineAssembler single;
    std::vector<std::string> singleLines;
    for (std::size_t i = 0; i < bytes.size(); ++i)
        single.Feed(bytes.substr(i, 1), singleLines);
    Require(singleLines == expected);
    CheckPending(single, bytes);

    // A reset forgets the partly received line: what follows reads as a
    // stream of its own.
    LineAssembler reset;
    std::vector<std::string> before;
    reset.Feed(head, before);
    Require(before == ExpectedLines(head));
    reset.Reset();
    Require(reset.PendingBytes() == 0);
    std::vector<std::string> after;
    reset.Feed(tail, after);
    Require(after == ExpectedLines(tail));
    return lines;
}

} // namespace kestrel::fuzz
