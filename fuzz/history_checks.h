#pragma once

#include <string_view>

namespace kestrel::fuzz {

// Reads the bytes as stick files, as an event's detail, as a date of --since
// or --until, and line by line as history events, and checks the history's
// rules: stick files, details and dates read back to what they were written
// as; events chained and walked intact raise no break, and one changed is
// named; operations come newest first, each end with its begin, every begin
// once, no more than asked for; every CSV line reads back to its fields; the
// table shows no control character and its lines are as wide as its header;
// a pending run is one of the camera's own finished runs.
void CheckHistoryRules(std::string_view bytes);

} // namespace kestrel::fuzz
