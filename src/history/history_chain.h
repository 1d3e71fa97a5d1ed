#pragma once

#include "history_event.h"

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>

// The chain that makes the history tamper-evident: each event stores the hash
// of the event before it and its own hash,
//   hash(n) = H(hash(n-1) || CanonicalContent(event n)),
// with 32 zero bytes before the first event. H is SHA-256, given by the
// caller so that these rules stay plain C++.
namespace kestrel {

// The raw digest (32 bytes for SHA-256) of the bytes.
using HashFunction = std::function<std::string(std::string_view)>;

// What comes before the first event.
std::string FirstPreviousHash();

std::string ChainHash(const HashFunction& hash, std::string_view previous,
                      const HistoryEvent& event);
// The same, of the event's canonical content.
std::string ChainHash(const HashFunction& hash, std::string_view previous,
                      std::string_view content);

// The first place where the chain does not hold.
struct ChainBreak {
    enum class Kind {
        Changed,   // the event's content is not what was hashed when it was written
        Removed,   // events before this one are missing
        Reordered, // the event was not written after the one now before it
        Truncated, // the newest events are missing
    };
    Kind kind = Kind::Changed;
    std::int64_t id = 0;           // the event named; for Truncated, the last one left
    std::int64_t firstMissing = 0; // Removed, Truncated: the first id missing
    std::int64_t lastMissing = 0;
};

// Walks the events in the order of their ids, one at a time, so that a
// history of any length is checked in little memory.
class ChainWalk {
public:
    explicit ChainWalk(HashFunction hash);

    // The next event with the hashes stored beside it; the break when the
    // chain does not hold there. Nothing more may be fed after a break.
    std::optional<ChainBreak> Feed(const HistoryEvent& event, std::string_view previous,
                                   std::string_view stored);
    // The same, given the event's id and canonical content.
    std::optional<ChainBreak> Feed(std::int64_t id, std::string_view content,
                                   std::string_view previous, std::string_view stored);
    // After the last event: lastIdGiven is the highest id the history ever
    // gave; a break when newer events are missing.
    std::optional<ChainBreak> Finish(std::int64_t lastIdGiven) const;

    std::int64_t Checked() const { return m_checked; }

private:
    HashFunction m_hash;
    std::string m_last;
    std::int64_t m_lastId = 0;
    std::int64_t m_checked = 0;
};

// "event 12 was changed after it was written", for the operator.
std::string DescribeBreak(const ChainBreak& chainBreak);

} // namespace kestrel
