#pragma once

#include <string>
#include <string_view>

namespace kestrel {

// The SHA-256 of the bytes, 32 raw bytes: the history chain's hash.
std::string HistorySha256(std::string_view bytes);

} // namespace kestrel
