#include "history_chain.h"

#include <utility>

namespace kestrel {

std::string FirstPreviousHash() {
    return std::string(32, '\0');
}

std::string ChainHash(const HashFunction& hash, std::string_view previous,
                      const HistoryEvent& event) {
    return ChainHash(hash, previous, CanonicalContent(event));
}

std::string ChainHash(const HashFunction& hash, std::string_view previous,
                      std::string_view content) {
    std::string bytes;
    bytes.reserve(previous.size() + content.size());
    bytes += previous;
    bytes += content;
    return hash(bytes);
}

ChainWalk::ChainWalk(HashFunction hash) : m_hash(std::move(hash)), m_last(FirstPreviousHash()) {}

std::optional<ChainBreak> ChainWalk::Feed(const HistoryEvent& event, std::string_view previous,
                                          std::string_view stored) {
    return Feed(event.id, CanonicalContent(event), previous, stored);
}

std::optional<ChainBreak> ChainWalk::Feed(std::int64_t id, std::string_view content,
                                          std::string_view previous, std::string_view stored) {
    using Kind = ChainBreak::Kind;
    if (ChainHash(m_hash, previous, content) != stored)
        return ChainBreak{Kind::Changed, id, 0, 0};
    if (id != m_lastId + 1)
        return ChainBreak{Kind::Removed, id, m_lastId + 1, id - 1};
    if (previous != m_last)
        return ChainBreak{Kind::Reordered, id, 0, 0};
    m_last = std::string(stored);
    m_lastId = id;
    ++m_checked;
    return std::nullopt;
}

std::optional<ChainBreak> ChainWalk::Finish(std::int64_t lastIdGiven) const {
    if (lastIdGiven > m_lastId)
        return ChainBreak{ChainBreak::Kind::Truncated, m_lastId, m_lastId + 1, lastIdGiven};
    return std::nullopt;
}

std::string DescribeBreak(const ChainBreak& b) {
    const auto range = [&] {
        return b.firstMissing == b.lastMissing
                   ? "event " + std::to_string(b.firstMissing) + " is"
                   : "events " + std::to_string(b.firstMissing) + " to " +
                         std::to_string(b.lastMissing) + " are";
    };
    switch (b.kind) {
    case ChainBreak::Kind::Changed:
        return "event " + std::to_string(b.id) + " was changed after it was written";
    case ChainBreak::Kind::Removed:
        return range() + " missing: removed before event " + std::to_string(b.id);
    case ChainBreak::Kind::Reordered:
        return "event " + std::to_string(b.id) + " does not follow event " +
               std::to_string(b.id - 1) + " in the chain: they were reordered, or event " +
               std::to_string(b.id - 1) + " was replaced";
    case ChainBreak::Kind::Truncated:
        return range() + " missing: removed after event " + std::to_string(b.id);
    }
    return {};
}

} // namespace kestrel
