#include "history_filter.h"

#include <array>
#include <cstdio>

namespace kestrel {

namespace {

constexpr std::int64_t kDayMs = 86'400'000;

// Days since 1970-01-01 of a date of the proleptic Gregorian calendar.
std::int64_t DaysFromCivil(std::int64_t y, unsigned m, unsigned d) {
    y -= m <= 2 ? 1 : 0;
    const std::int64_t era = (y >= 0 ? y : y - 399) / 400;
    const auto yoe = static_cast<unsigned>(y - era * 400);
    const unsigned doy = (153 * (m > 2 ? m - 3 : m + 9) + 2) / 5 + d - 1;
    const unsigned doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
    return era * 146097 + static_cast<std::int64_t>(doe) - 719468;
}

unsigned DaysInMonth(std::int64_t y, unsigned m) {
    static constexpr std::array<unsigned, 12> kDays{31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    const bool leap = (y % 4 == 0 && y % 100 != 0) || y % 400 == 0;
    return m == 2 && leap ? 29 : kDays.at(m - 1);
}

// Exactly count digits at the front of rest, taken off it.
std::optional<unsigned> TakeDigits(std::string_view& rest, std::size_t count) {
    if (rest.size() < count)
        return std::nullopt;
    unsigned value = 0;
    for (std::size_t i = 0; i < count; ++i) {
        if (rest[i] < '0' || rest[i] > '9')
            return std::nullopt;
        value = value * 10 + static_cast<unsigned>(rest[i] - '0');
    }
    rest.remove_prefix(count);
    return value;
}

bool TakeChar(std::string_view& rest, char c) {
    if (rest.empty() || rest.front() != c)
        return false;
    rest.remove_prefix(1);
    return true;
}

// "HH:MM[:SS[.fff]]" then "", "Z" or "+HH:MM"/"-HH:MM": ms into the day,
// less the offset.
std::optional<std::int64_t> TakeTime(std::string_view rest) {
    const auto hour = TakeDigits(rest, 2);
    const auto minute = hour && TakeChar(rest, ':') ? TakeDigits(rest, 2) : std::nullopt;
    if (!minute || *hour > 23 || *minute > 59)
        return std::nullopt;
    unsigned second = 0, ms = 0;
    if (TakeChar(rest, ':')) {
        const auto s = TakeDigits(rest, 2);
        if (!s || *s > 59)
            return std::nullopt;
        second = *s;
        if (TakeChar(rest, '.')) {
            const auto f = TakeDigits(rest, 3);
            if (!f)
                return std::nullopt;
            ms = *f;
        }
    }
    std::int64_t offsetMin = 0;
    if (!rest.empty() && !TakeChar(rest, 'Z')) {
        const int sign = rest.front() == '-' ? -1 : 1;
        if (!TakeChar(rest, '+') && !TakeChar(rest, '-'))
            return std::nullopt;
        const auto oh = TakeDigits(rest, 2);
        const auto om = oh && TakeChar(rest, ':') ? TakeDigits(rest, 2) : std::nullopt;
        if (!om || *oh > 23 || *om > 59)
            return std::nullopt;
        offsetMin = sign * static_cast<std::int64_t>(*oh * 60 + *om);
    }
    if (!rest.empty())
        return std::nullopt;
    return ((*hour * 60 + *minute) * 60 + second) * 1000LL + ms - offsetMin * 60'000;
}

} // namespace

bool OperationFilter::Matches(const Operation& op) const {
    if (!serial.empty() && op.begin.serial != serial)
        return false;
    if ((sinceMs && op.begin.timeMs < *sinceMs) || (untilMs && op.begin.timeMs > *untilMs))
        return false;
    return result.empty() || op.Result() == result;
}

std::optional<std::int64_t> ParseFilterDate(std::string_view text, bool endOfDay) {
    const auto year = TakeDigits(text, 4);
    const auto month = year && TakeChar(text, '-') ? TakeDigits(text, 2) : std::nullopt;
    const auto day = month && TakeChar(text, '-') ? TakeDigits(text, 2) : std::nullopt;
    if (!day || *month < 1 || *month > 12 || *day < 1 || *day > DaysInMonth(*year, *month))
        return std::nullopt;
    const std::int64_t midnight = DaysFromCivil(*year, *month, *day) * kDayMs;
    if (text.empty())
        return endOfDay ? midnight + kDayMs - 1 : midnight;
    if (!TakeChar(text, 'T'))
        return std::nullopt;
    const auto time = TakeTime(text);
    // An offset may not carry the time out of the years 0000 to 9999.
    if (!time || midnight + *time < DaysFromCivil(0, 1, 1) * kDayMs ||
        midnight + *time >= DaysFromCivil(10000, 1, 1) * kDayMs)
        return std::nullopt;
    return midnight + *time;
}

std::string FormatUtc(std::int64_t timeMs) {
    std::int64_t days = timeMs / kDayMs;
    std::int64_t ms = timeMs % kDayMs;
    if (ms < 0) {
        ms += kDayMs;
        --days;
    }
    // The civil date of a day number (the inverse of DaysFromCivil).
    const std::int64_t z = days + 719468;
    const std::int64_t era = (z >= 0 ? z : z - 146096) / 146097;
    const auto doe = static_cast<unsigned>(z - era * 146097);
    const unsigned yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
    const unsigned doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
    const unsigned mp = (5 * doy + 2) / 153;
    const unsigned d = doy - (153 * mp + 2) / 5 + 1;
    const unsigned m = mp < 10 ? mp + 3 : mp - 9;
    const std::int64_t y = static_cast<std::int64_t>(yoe) + era * 400 + (m <= 2 ? 1 : 0);
    char text[40];
    std::snprintf(text, sizeof text, "%04lld-%02u-%02uT%02lld:%02lld:%02lld.%03lldZ",
                  static_cast<long long>(y), m, d, static_cast<long long>(ms / 3'600'000),
                  static_cast<long long>(ms / 60'000 % 60), static_cast<long long>(ms / 1000 % 60),
                  static_cast<long long>(ms % 1000));
    return text;
}

} // namespace kestrel
