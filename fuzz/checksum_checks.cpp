#include "checksum_checks.h"

#include "checksum_list.h"
#include "require.h"

#include <algorithm>
#include <string>

namespace kestrel::fuzz {

namespace {

using Status = ListedChecksum::Status;

bool Same(const ListedChecksum& a, const ListedChecksum& b) {
    return a.status == b.status && a.sha256 == b.sha256 && a.line == b.line &&
           a.otherLine == b.otherLine;
}

std::size_t LineCount(std::string_view bytes) {
    return static_cast<std::size_t>(std::count(bytes.begin(), bytes.end(), '\n')) + 1;
}

// The list with every line feed preceded by a carriage return.
std::string WithCrLf(std::string_view bytes) {
    std::string text;
    for (const char c : bytes) {
        if (c == '\n')
            text += '\r';
        text += c;
    }
    return text;
}

// The name on the first line, after where sha256sum puts the digits and the
// two separators, up to the line end.
std::string FirstLineName(std::string_view bytes) {
    const std::string_view line = bytes.substr(0, bytes.find_first_of(std::string_view("\r\n")));
    return line.size() > 66 ? std::string(line.substr(66)) : std::string("board.rbf");
}

// A name that a plain line (without escapes) can carry.
bool Plain(std::string_view name) {
    return !name.empty() && name.find_first_of(std::string_view("\0\r\n\\", 4)) == name.npos;
}

void CheckResult(std::string_view bytes, const ListedChecksum& found) {
    switch (found.status) {
    case Status::Listed:
        Require(found.sha256.size() == 64 && NormalizedSha256(found.sha256) == found.sha256);
        Require(found.line >= 1 && found.line <= LineCount(bytes) && found.otherLine == 0);
        break;
    case Status::Conflicting:
        Require(found.sha256.empty() && found.line >= 1 && found.line < found.otherLine);
        Require(found.otherLine <= LineCount(bytes));
        break;
    case Status::Malformed:
        Require(found.sha256.empty() && found.line >= 1 && found.line <= LineCount(bytes));
        break;
    case Status::NotListed:
        Require(found.sha256.empty() && found.line == 0 && found.otherLine == 0);
        break;
    }
}

void CheckName(std::string_view bytes, std::string_view name) {
    const ListedChecksum found = FindListedChecksum(bytes, name);
    CheckResult(bytes, found);
    if (bytes.find('\r') == std::string_view::npos)
        Require(Same(FindListedChecksum(WithCrLf(bytes), name), found));
    std::string ended(bytes);
    if (!ended.empty() && ended.back() != '\n')
        ended += '\n';
    Require(Same(FindListedChecksum(ended, name), found));
    if (found.status != Status::Listed || !Plain(name))
        return;
    // The same sum again, in upper case with the binary marker: still listed.
    std::string upper = found.sha256;
    std::transform(upper.begin(), upper.end(), upper.begin(),
                   [](char c) { return c >= 'a' && c <= 'f' ? char(c - 'a' + 'A') : c; });
    Require(Same(FindListedChecksum(ended + upper + " *" + std::string(name) + "\n", name), found));
    // Another sum: a conflict, found on the added line.
    std::string other = found.sha256;
    other[0] = other[0] == '0' ? '1' : '0';
    const ListedChecksum conflict =
        FindListedChecksum(ended + other + "  ./" + std::string(name) + "\n", name);
    Require(conflict.status == Status::Conflicting && conflict.line == found.line &&
            conflict.otherLine == LineCount(ended));
}

} // namespace

void CheckChecksumList(std::string_view bytes) {
    const std::string name = FirstLineName(bytes);
    CheckName(bytes, "board.rbf");
    CheckName(bytes, name);
    // A bad line is bad whatever is looked up.
    const ListedChecksum fixed = FindListedChecksum(bytes, "board.rbf");
    const ListedChecksum named = FindListedChecksum(bytes, name);
    Require((fixed.status == Status::Malformed) == (named.status == Status::Malformed));
    if (fixed.status == Status::Malformed)
        Require(fixed.line == named.line);
}

} // namespace kestrel::fuzz
