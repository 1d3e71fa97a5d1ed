#pragma once

#include <string_view>

namespace kestrel::fuzz {

// Reads the bytes as a machine's drives and block devices and a folder, and
// checks what the eject plan promises: nothing is unmounted unless the drive
// is ejected; then the folder's file system is unmounted exactly once, every
// file system unmounted is one of that drive's, deeper mount points first.
void CheckEjectPlan(std::string_view bytes);

} // namespace kestrel::fuzz
