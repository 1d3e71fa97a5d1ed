#pragma once

#include <string_view>

namespace kestrel::fuzz {

// Reads the bytes as a camera's hardware firmware version and a target (cut
// at the first line feed) and checks what the version rule promises: a
// camera is left alone only when it runs the target, never with --reinstall
// or without a target; the same version reads the same in any spelling.
void CheckHwVersionRule(std::string_view bytes);

} // namespace kestrel::fuzz
