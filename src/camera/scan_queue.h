#pragma once

#include "scan_targets.h"

#include <cstdint>
#include <optional>
#include <vector>

namespace kestrel {

// The addresses of a search, handed out one at a time to the looks at them.
class ScanQueue {
public:
    struct Address {
        std::uint32_t address = 0;
        std::uint16_t port = 0;
    };

    explicit ScanQueue(std::vector<ScanTarget> targets);

    // The next address not handed out yet; nothing once all are, or after Stop.
    std::optional<Address> Next();
    // Hands out nothing more.
    void Stop();
    // How many addresses there are, counted once however often they are given.
    std::uint64_t Total() const { return m_total; }

private:
    std::vector<ScanTarget> m_targets;
    std::uint64_t m_total = 0;
    std::size_t m_target = 0;   // the target being handed out
    std::uint64_t m_offset = 0; // within it
    bool m_stopped = false;
};

} // namespace kestrel
