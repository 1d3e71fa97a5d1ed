#pragma once

#include <string_view>

namespace kestrel::fuzz {

// Reads the bytes as a list of checksums, looking up a fixed name and the
// name of its first line, and checks what a result promises: a listed sum is
// 64 lower-case hex digits, line numbers lie within the list, a bad line is
// bad whatever name is looked up, line feeds with or without carriage
// returns read the same, and a line added for a listed file agrees with it
// (same sum) or conflicts with it (another sum).
void CheckChecksumList(std::string_view bytes);

} // namespace kestrel::fuzz
