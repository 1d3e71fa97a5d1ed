#include "hw_version_rule.h"

namespace kestrel {

namespace {

int HexDigit(char c) {
    if (c >= '0' && c <= '9')
        return c - '0';
    if (c >= 'a' && c <= 'f')
        return c - 'a' + 10;
    if (c >= 'A' && c <= 'F')
        return c - 'A' + 10;
    return -1;
}

// One part: one or two hex digits, nothing else.
std::optional<int> ReadPart(std::string_view part) {
    if (part.empty() || part.size() > 2)
        return std::nullopt;
    int value = 0;
    for (const char c : part) {
        const int digit = HexDigit(c);
        if (digit < 0)
            return std::nullopt;
        value = value * 16 + digit;
    }
    return value;
}

} // namespace

std::optional<HwVersionParts> ReadHwVersion(std::string_view text) {
    HwVersionParts parts{};
    for (std::size_t i = 0; i < parts.size(); ++i) {
        const std::size_t dot = text.find('.');
        const bool last = i + 1 == parts.size();
        if (last != (dot == std::string_view::npos))
            return std::nullopt; // two dots exactly
        const std::optional<int> part = ReadPart(text.substr(0, dot));
        if (!part)
            return std::nullopt;
        parts[i] = *part;
        text = last ? std::string_view() : text.substr(dot + 1);
    }
    return parts;
}

std::string NormalizedHwVersion(std::string_view text) {
    if (!ReadHwVersion(text))
        return {};
    std::string normal(text);
    for (char& c : normal) {
        if (c >= 'a' && c <= 'f')
            c = static_cast<char>(c - 'a' + 'A');
    }
    return normal;
}

bool SameHwVersion(std::string_view a, std::string_view b) {
    const std::optional<HwVersionParts> first = ReadHwVersion(a);
    const std::optional<HwVersionParts> second = ReadHwVersion(b);
    return first && second && *first == *second;
}

VersionDecision DecideByVersion(std::string_view cameraVersion, std::string_view target,
                                bool reinstall) {
    const std::optional<HwVersionParts> wanted = ReadHwVersion(target);
    if (!wanted)
        return {true, "no target"};
    const std::optional<HwVersionParts> running = ReadHwVersion(cameraVersion);
    if (!running)
        return {false, "unread"}; // neither current nor known to be older
    if (*running == *wanted)
        return reinstall ? VersionDecision{true, "reinstall"} : VersionDecision{false, "current"};
    return {true, *running < *wanted ? "older" : "newer"};
}

HwVersionChange CompareHwVersions(std::string_view before, std::string_view after) {
    const std::optional<HwVersionParts> now = ReadHwVersion(after);
    if (!now)
        return HwVersionChange::Unread;
    const std::optional<HwVersionParts> then = ReadHwVersion(before);
    if (!then)
        return HwVersionChange::Unknown;
    return *now == *then ? HwVersionChange::Unchanged : HwVersionChange::Changed;
}

std::string QuotedHwVersion(std::string_view text) {
    static constexpr char kHex[] = "0123456789abcdef";
    std::string quoted(1, '"');
    for (const char c : text) {
        const auto byte = static_cast<unsigned char>(c);
        if (c == '\\' || c == '"')
            quoted.append(1, '\\').append(1, c);
        else if (byte >= 0x20 && byte < 0x7F)
            quoted.append(1, c);
        else
            quoted.append("\\x").append(1, kHex[byte >> 4]).append(1, kHex[byte & 0xF]);
    }
    quoted.append(1, '"');
    return quoted;
}

} // namespace kestrel
