#include "checksum_list.h"

#include <optional>

namespace kestrel {

namespace {

constexpr std::size_t kHexDigits = 64;

std::optional<char> LowerHexDigit(char c) {
    if ((c >= '0' && c <= '9') || (c >= 'a' && c <= 'f'))
        return c;
    if (c >= 'A' && c <= 'F')
        return static_cast<char>(c - 'A' + 'a');
    return std::nullopt;
}

// The name of an escaped line with its escapes undone; nothing when an
// escape is not one that sha256sum writes.
std::optional<std::string> Unescaped(std::string_view text) {
    std::string name;
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] != '\\') {
            name += text[i];
            continue;
        }
        if (++i == text.size())
            return std::nullopt;
        switch (text[i]) {
        case '\\':
            name += '\\';
            break;
        case 'n':
            name += '\n';
            break;
        case 'r':
            name += '\r';
            break;
        default:
            return std::nullopt;
        }
    }
    return name;
}

struct Entry {
    std::string sha256;
    std::string name;
};

// One line without its line end, or nothing when it is malformed.
std::optional<Entry> ReadEntry(std::string_view line) {
    const bool escaped = !line.empty() && line.front() == '\\';
    if (escaped)
        line.remove_prefix(1);
    if (line.size() < kHexDigits + 3 || line[kHexDigits] != ' ' ||
        (line[kHexDigits + 1] != ' ' && line[kHexDigits + 1] != '*'))
        return std::nullopt;
    Entry entry{NormalizedSha256(line.substr(0, kHexDigits)), {}};
    if (entry.sha256.empty())
        return std::nullopt;
    const std::string_view name = line.substr(kHexDigits + 2);
    // sha256sum escapes a carriage return in a name; a bare one is the line
    // end of a list that does not use line feeds.
    if (name.find_first_of(std::string_view("\0\r", 2)) != std::string_view::npos)
        return std::nullopt;
    if (!escaped) {
        entry.name = name;
        return entry;
    }
    std::optional<std::string> unescaped = Unescaped(name);
    if (!unescaped)
        return std::nullopt;
    entry.name = std::move(*unescaped);
    return entry;
}

bool NamesFile(std::string_view listed, std::string_view name) {
    if (listed.substr(0, 2) == "./")
        listed.remove_prefix(2);
    return listed == name;
}

} // namespace

ListedChecksum FindListedChecksum(std::string_view list, std::string_view name) {
    ListedChecksum found;
    std::size_t number = 0;
    while (!list.empty()) {
        ++number;
        const std::size_t end = list.find('\n');
        std::string_view line = list.substr(0, end);
        list.remove_prefix(end == std::string_view::npos ? list.size() : end + 1);
        if (!line.empty() && line.back() == '\r')
            line.remove_suffix(1);
        if (line.empty() || line.front() == '#')
            continue;
        const std::optional<Entry> entry = ReadEntry(line);
        if (!entry)
            return {ListedChecksum::Status::Malformed, {}, number, 0};
        if (!NamesFile(entry->name, name))
            continue;
        if (found.status == ListedChecksum::Status::NotListed) {
            found = {ListedChecksum::Status::Listed, entry->sha256, number, 0};
        } else if (found.status == ListedChecksum::Status::Listed &&
                   found.sha256 != entry->sha256) {
            found = {ListedChecksum::Status::Conflicting, {}, found.line, number};
        }
    }
    return found;
}

std::string NormalizedSha256(std::string_view text) {
    if (text.size() != kHexDigits)
        return {};
    std::string digits;
    for (const char c : text) {
        const std::optional<char> digit = LowerHexDigit(c);
        if (!digit)
            return {};
        digits += *digit;
    }
    return digits;
}

} // namespace kestrel
