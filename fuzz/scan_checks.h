#pragma once

#include <string_view>

namespace kestrel::fuzz {

// Reads the bytes as a target of a search for cameras and checks what a
// reading promises: a target or an error naming the text, never both; a run
// that does not end before it starts; the default port exactly when no port
// is written; one address without "/" and "-", one last-number run with "-";
// every address read back from its own text. Also reads the bytes as a reply
// to the update status probe: its form admits only digits, minus signs and
// single spaces, and always the idle reply.
void CheckScanRules(std::string_view bytes);

} // namespace kestrel::fuzz
