#include "scan_queue.h"

#include <algorithm>
#include <utility>

namespace kestrel {

namespace {

// The targets without an address given twice: overlapping runs on the same
// port are joined.
std::vector<ScanTarget> Joined(std::vector<ScanTarget> targets) {
    std::sort(targets.begin(), targets.end(), [](const ScanTarget& a, const ScanTarget& b) {
        return std::pair(a.port, a.first) < std::pair(b.port, b.first);
    });
    std::vector<ScanTarget> joined;
    for (const ScanTarget& target : targets) {
        if (!joined.empty() && joined.back().port == target.port &&
            std::uint64_t{target.first} <= std::uint64_t{joined.back().last} + 1) {
            joined.back().last = std::max(joined.back().last, target.last);
            continue;
        }
        joined.push_back(target);
    }
    return joined;
}

} // namespace

ScanQueue::ScanQueue(std::vector<ScanTarget> targets) : m_targets(Joined(std::move(targets))) {
    for (const ScanTarget& target : m_targets)
        m_total += target.Count();
}

std::optional<ScanQueue::Address> ScanQueue::Next() {
    if (m_stopped)
        return std::nullopt;
    while (m_target < m_targets.size() && m_offset >= m_targets[m_target].Count()) {
        ++m_target;
        m_offset = 0;
    }
    if (m_target >= m_targets.size())
        return std::nullopt;
    const ScanTarget& target = m_targets[m_target];
    Address next{static_cast<std::uint32_t>(target.first + m_offset), target.port};
    ++m_offset;
    return next;
}

void ScanQueue::Stop() {
    m_stopped = true;
}

} // namespace kestrel
