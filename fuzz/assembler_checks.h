#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

namespace kestrel::fuzz {

// Feeds a stream of received bytes to the line assembler in one piece, in two
// pieces cut at `cut` (taken modulo the length plus one), and byte by byte,
// and checks the lines against what a reply line is: at most 8192 bytes, no
// line feed, no zero byte, the same lines however the bytes arrive. Returns
// the lines.
std::vector<std::string> CheckLineAssembler(std::string_view bytes, std::size_t cut);

} // namespace kestrel::fuzz
