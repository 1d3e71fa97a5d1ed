#include "site_rules.h"

namespace kestrel {

namespace {

constexpr std::string_view kBlanks = " \t";

std::string_view Trimmed(std::string_view text) {
    const std::size_t first = text.find_first_not_of(kBlanks);
    if (first == std::string_view::npos)
        return {};
    return text.substr(first, text.find_last_not_of(kBlanks) - first + 1);
}

// Calls read(line, number) for each line that is not empty or a comment,
// blanks and line end taken off, until it returns false; the number of that
// line, or 0.
template <typename Read> std::size_t ForEachLine(std::string_view text, Read read) {
    std::size_t number = 0;
    while (!text.empty()) {
        ++number;
        const std::size_t end = text.find('\n');
        std::string_view line = text.substr(0, end);
        text.remove_prefix(end == std::string_view::npos ? text.size() : end + 1);
        if (line.ends_with('\r'))
            line.remove_suffix(1);
        line = Trimmed(line);
        if (line.empty() || line.front() == '#')
            continue;
        if (!read(line))
            return number;
    }
    return 0;
}

} // namespace

SitePolicy ReadSitePolicy(std::string_view text) {
    SitePolicy policy;
    bool set = false;
    policy.badLine = ForEachLine(text, [&](std::string_view line) {
        const std::size_t equals = line.find('=');
        if (equals == std::string_view::npos || set ||
            Trimmed(line.substr(0, equals)) != "require-signature")
            return false;
        const std::string_view value = Trimmed(line.substr(equals + 1));
        if (value != "yes" && value != "no")
            return false;
        policy.requireSignature = value == "yes";
        set = true;
        return true;
    });
    if (policy.badLine != 0)
        policy.requireSignature = false;
    return policy;
}

RevokedKeys ReadRevokedKeys(std::string_view text) {
    RevokedKeys revoked;
    revoked.badLine = ForEachLine(text, [&](std::string_view line) {
        KeyNumber number{};
        if (!ParseKeyNumber(line, number))
            return false;
        revoked.keys.push_back(number);
        return true;
    });
    if (revoked.badLine != 0)
        revoked.keys.clear();
    return revoked;
}

} // namespace kestrel
