#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

// How the addresses to search for cameras are written. Plain C++ on byte
// strings, so that any text can be fed to it in isolation.
namespace kestrel {

// A run of IPv4 addresses, first to last inclusive (host byte order), all on
// one port.
struct ScanTarget {
    std::uint32_t first = 0;
    std::uint32_t last = 0;
    std::uint16_t port = 0;

    std::uint64_t Count() const { return std::uint64_t{last} - first + 1; }
    bool operator==(const ScanTarget&) const = default;
};

// What reading one target gave: the target, or why the text is not one.
struct TargetReading {
    std::optional<ScanTarget> target;
    std::string error;
};

// More addresses than this in one search must be asked for explicitly.
inline constexpr std::uint64_t kLargeScanAddresses = 1024;

// Reads "a.b.c.d", "a.b.c.d/n" (the hosts of that network: without its
// network and broadcast addresses when n is 30 or less) or "a.b.c.d-e" (the
// last number running from d to e), each optionally followed by ":PORT";
// without a port, defaultPort. Numbers are decimal without leading zeros.
TargetReading ReadScanTarget(std::string_view text, std::uint16_t defaultPort);

// "a.b.c.d" of an address in host byte order.
std::string AddressText(std::uint32_t address);

} // namespace kestrel
