#pragma once

#include "history_operation.h"

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

// The history as a table for people at a terminal. Plain C++, no Qt.
namespace kestrel {

// The local time's offset from UTC, in seconds, at a moment (UTC ms).
using UtcOffsetAt = std::function<int(std::int64_t timeMs)>;

// "2026-12-07 11:02:05 +01:00": a moment in local time with its offset.
std::string FormatLocal(std::int64_t timeMs, int utcOffsetSeconds);

// Bytes from the history as they may be shown: valid UTF-8 stays, and each
// control character (C0, DEL, C1) and each byte that is not UTF-8 is shown as
// \xNN, so that nothing a camera sent can steer the terminal.
std::string ShownText(std::string_view bytes);

// A header line, then one line per operation in the order given, in columns
// as wide as their widest cell, two spaces apart; an empty cell shows "-".
// Each line ends with "\n".
std::string OperationsTable(const std::vector<Operation>& operations, const UtcOffsetAt& offsetAt);

} // namespace kestrel
