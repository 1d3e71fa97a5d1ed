#include "reply_reading.h"

#include <array>
#include <limits>

namespace kestrel {

namespace {

bool IsBlank(char c) {
    // What the C library counts as white space before a number.
    return c == ' ' || c == '\t' || c == '\n' || c == '\v' || c == '\f' || c == '\r';
}

struct Named {
    std::int32_t number;
    std::string_view name;
};

constexpr std::array kModels{Named{3, "VX110"},  Named{4, "VX150"},  Named{5, "VX210"},
                             Named{6, "VX260"},  Named{7, "VX340"},  Named{8, "VX380"},
                             Named{10, "VX420"}, Named{11, "VX_T90"}};
constexpr std::array kBayerPatterns{Named{0, "GRBG"}, Named{1, "GBRG"}, Named{2, "RGGB"},
                                    Named{3, "BGGR"}};

template <std::size_t N>
std::string_view Lookup(const std::array<Named, N>& table, std::int32_t number) {
    for (const Named& entry : table) {
        if (entry.number == number)
            return entry.name;
    }
    return {};
}

} // namespace

std::string_view TextAfterFirstSpace(std::string_view reply) {
    const std::size_t space = reply.find(' ');
    return space == std::string_view::npos ? reply : reply.substr(space + 1);
}

std::int32_t ReadNumber(std::string_view text) {
    std::size_t at = 0;
    while (at < text.size() && IsBlank(text[at]))
        ++at;
    bool negative = false;
    if (at < text.size() && (text[at] == '+' || text[at] == '-')) {
        negative = text[at] == '-';
        ++at;
    }
    constexpr std::int64_t kMax = std::numeric_limits<std::int32_t>::max();
    constexpr std::int64_t kMin = std::numeric_limits<std::int32_t>::min();
    std::int64_t value = 0;
    for (; at < text.size() && text[at] >= '0' && text[at] <= '9'; ++at) {
        value = value * 10 + (text[at] - '0');
        if (value > kMax + 1) { // beyond both ends: saturate, keep reading nothing more
            value = kMax + 1;
        }
    }
    if (negative)
        return static_cast<std::int32_t>(-value < kMin ? kMin : -value);
    return static_cast<std::int32_t>(value > kMax ? kMax : value);
}

std::string_view CameraModelName(std::int32_t type) {
    return Lookup(kModels, type);
}

std::string_view BayerPatternName(std::int32_t bayer) {
    return Lookup(kBayerPatterns, bayer);
}

void ParseUpdateStatus(std::string_view reply, UpdateStatus& status) {
    std::int32_t* const fields[] = {&status.nEraseTotal, &status.nEraseDone, &status.nProgramTotal,
                                    &status.nProgramDone};
    std::string_view rest = reply;
    for (int k = 1;; ++k) {
        const std::size_t space = rest.find(' ');
        if (space == std::string_view::npos)
            return;
        rest.remove_prefix(space + 1);
        if (k <= 3) {
            // The field ends at the next space; with none, the field is empty.
            const std::size_t next = rest.find(' ');
            const std::string_view field =
                next == std::string_view::npos ? std::string_view() : rest.substr(0, next);
            *fields[k - 1] = ReadNumber(field);
        } else if (k == 4) {
            *fields[3] = ReadNumber(rest);
        }
    }
}

bool IsIdleStatus(std::string_view reply) {
    return reply == "0 0 0 0";
}

bool PhaseUnfinished(std::int32_t done, std::int32_t total, std::int32_t margin) {
    return static_cast<std::int64_t>(done) <
           static_cast<std::int64_t>(total) - static_cast<std::int64_t>(margin);
}

int ProgressPosition(std::int32_t done, std::int32_t total) {
    if (total == 0)
        return 0;
    // ceil(done * 100 / total) in exact integer arithmetic.
    const std::int64_t numerator = static_cast<std::int64_t>(done) * 100;
    const std::int64_t denominator = total;
    std::int64_t quotient = numerator / denominator;
    if (numerator % denominator != 0 && ((numerator < 0) == (denominator < 0)))
        ++quotient;
    if (quotient < 0)
        return 0;
    return quotient > 100 ? 100 : static_cast<int>(quotient);
}

} // namespace kestrel
