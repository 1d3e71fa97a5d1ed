#pragma once

#include <string>
#include <string_view>

namespace kestrel {

// The SHA-256 of the bytes, 32 raw bytes: the history chain's hash.
std::string HistorySha256(std::string_view bytes);

// Starts the hash's library on this thread, before a thread of a shorter life
// uses it: OpenSSL keeps what it makes at its start with the thread it
// started on, and a writer's thread ends before the program does.
void StartHistorySha256();

} // namespace kestrel
