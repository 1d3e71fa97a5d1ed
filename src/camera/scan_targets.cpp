#include "scan_targets.h"

namespace kestrel {

namespace {

// A decimal number of at most maxDigits digits, without a sign or a leading
// zero (a lone 0 is fine), no greater than max.
std::optional<std::uint32_t> ReadDecimal(std::string_view text, std::size_t maxDigits,
                                         std::uint32_t max) {
    if (text.empty() || text.size() > maxDigits || (text.size() > 1 && text.front() == '0'))
        return std::nullopt;
    std::uint32_t value = 0;
    for (const char c : text) {
        if (c < '0' || c > '9')
            return std::nullopt;
        value = value * 10 + static_cast<std::uint32_t>(c - '0');
    }
    if (value > max)
        return std::nullopt;
    return value;
}

std::optional<std::uint32_t> ReadAddress(std::string_view text) {
    std::uint32_t address = 0;
    for (int part = 0; part < 4; ++part) {
        const std::size_t dot = part < 3 ? text.find('.') : text.size();
        if (dot == std::string_view::npos)
            return std::nullopt;
        const std::optional<std::uint32_t> number = ReadDecimal(text.substr(0, dot), 3, 255);
        if (!number)
            return std::nullopt;
        address = address << 8 | *number;
        text.remove_prefix(part < 3 ? dot + 1 : dot);
    }
    return address;
}

TargetReading Refuse(std::string_view text, std::string_view why) {
    // Appended piece by piece: GCC 12 at -O3 takes "\"" + std::string(...)
    // for overlapping copies (a false -Wrestrict).
    TargetReading reading;
    reading.error.reserve(text.size() + why.size() + 3);
    reading.error.append(1, '"').append(text).append("\" ").append(why);
    return reading;
}

constexpr std::string_view kForms = "is not an address, a.b.c.d/n or a.b.c.d-e";

} // namespace

TargetReading ReadScanTarget(std::string_view text, std::uint16_t defaultPort) {
    std::string_view rest = text;
    ScanTarget target;
    target.port = defaultPort;
    if (const std::size_t colon = rest.find(':'); colon != std::string_view::npos) {
        const std::optional<std::uint32_t> port = ReadDecimal(rest.substr(colon + 1), 5, 65535);
        if (!port || *port == 0)
            return Refuse(text, "has no port from 1 to 65535 after its \":\"");
        target.port = static_cast<std::uint16_t>(*port);
        rest = rest.substr(0, colon);
    }
    const std::size_t slash = rest.find('/');
    const std::size_t dash = rest.find('-');
    if (slash != std::string_view::npos && dash != std::string_view::npos)
        return Refuse(text, kForms);
    const std::size_t mark = slash != std::string_view::npos ? slash : dash;
    const std::optional<std::uint32_t> address = ReadAddress(rest.substr(0, mark));
    if (!address)
        return Refuse(text, kForms);
    target.first = target.last = *address;
    if (slash != std::string_view::npos) {
        const std::optional<std::uint32_t> bits = ReadDecimal(rest.substr(slash + 1), 2, 32);
        if (!bits)
            return Refuse(text, "has no prefix length from 0 to 32 after its \"/\"");
        const std::uint32_t hostMask =
            *bits == 0 ? 0xFFFFFFFFu : (std::uint32_t{1} << (32 - *bits)) - 1;
        target.first = *address & ~hostMask;
        target.last = target.first | hostMask;
        if (*bits <= 30) { // the network's own address and its broadcast are not hosts
            ++target.first;
            --target.last;
        }
    } else if (dash != std::string_view::npos) {
        const std::optional<std::uint32_t> end = ReadDecimal(rest.substr(dash + 1), 3, 255);
        if (!end)
            return Refuse(text, "has no last number from 0 to 255 after its \"-\"");
        if (*end < (*address & 0xFFu))
            return Refuse(text, "ends below its start");
        target.last = (*address & ~0xFFu) | *end;
    }
    TargetReading reading;
    reading.target = target;
    return reading;
}

std::string AddressText(std::uint32_t address) {
    std::string text;
    for (int shift = 24; shift >= 0; shift -= 8) {
        text += std::to_string(address >> shift & 0xFFu);
        if (shift > 0)
            text += '.';
    }
    return text;
}

} // namespace kestrel
