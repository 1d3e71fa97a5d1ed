#pragma once

namespace kestrel {

// How a search for cameras goes: how many addresses are looked at at once,
// and how long each may take to connect and to answer.
struct ScanSettings {
    int parallel = 64;            // addresses looked at at once
    int connectTimeoutMs = 1500;  // a connection attempt gives up after this
    int greetingTimeoutMs = 2000; // for the greeting, and then for each reply
};

} // namespace kestrel
