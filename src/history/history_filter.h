#pragma once

#include "history_operation.h"

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace kestrel {

// Which operations to show. An operation's time is its begin's.
struct OperationFilter {
    std::string serial;                  // empty: any
    std::optional<std::int64_t> sinceMs; // UTC ms, inclusive
    std::optional<std::int64_t> untilMs; // UTC ms, inclusive
    std::string result;                  // a result code, "interrupted" or "running"; empty: any
    int last = 0;                        // the newest so many; 0: all

    bool Matches(const Operation& operation) const;
};

// A date of --since or --until, in UTC unless it names its offset:
//   "2026-12-07"                         the day's first millisecond, or its
//                                        last one when endOfDay (for --until)
//   "2026-12-07T14:05", "...T14:05:06", "...T14:05:06.123", each optionally
//   followed by "Z" or an offset "+01:00" / "-05:30"
// Nothing when the text is none of these or names no real time.
std::optional<std::int64_t> ParseFilterDate(std::string_view text, bool endOfDay);

// "2026-12-07T14:05:06.123Z", the form the history shows times in.
std::string FormatUtc(std::int64_t timeMs);

} // namespace kestrel
