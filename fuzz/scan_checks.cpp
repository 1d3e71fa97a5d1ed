#include "scan_checks.h"

#include "reply_reading.h"
#include "require.h"
#include "scan_targets.h"
#include "status_shape.h"

namespace kestrel::fuzz {

namespace {

void CheckTarget(std::string_view text) {
    const TargetReading reading = ReadScanTarget(text, 5000);
    const TargetReading other = ReadScanTarget(text, 6000);
    Require(reading.target.has_value() == reading.error.empty());
    Require(other.target.has_value() == reading.target.has_value());
    if (!reading.target) {
        // Compared in two pieces: "\"" + std::string(text) is a false
        // -Wrestrict for GCC 12 at -O3.
        Require(reading.error.substr(0, 1) == "\"" && reading.error.substr(1, text.size()) == text);
        return;
    }
    const ScanTarget& target = *reading.target;
    Require(target.first <= target.last);
    Require(target.Count() >= 1 && target.Count() <= (std::uint64_t{1} << 32));
    const bool portWritten = text.find(':') != std::string_view::npos;
    Require(portWritten == (other.target->port == target.port));
    Require(target.port != 0);
    Require(other.target->first == target.first && other.target->last == target.last);
    const bool prefix = text.find('/') != std::string_view::npos;
    const bool range = text.find('-') != std::string_view::npos;
    if (!prefix && !range)
        Require(target.Count() == 1);
    if (range)
        Require((target.first >> 8) == (target.last >> 8));
    for (const std::uint32_t address : {target.first, target.last}) {
        const TargetReading back = ReadScanTarget(AddressText(address), 1);
        Require(back.target && back.target->first == address && back.target->Count() == 1);
    }
}

void CheckStatusShape(std::string_view reply) {
    if (IsIdleStatus(reply))
        Require(IsStatusReply(reply));
    if (!IsStatusReply(reply))
        return;
    Require(!reply.empty() && reply.front() != ' ' && reply.back() != ' ');
    Require(reply.find("  ") == std::string_view::npos);
    for (const char c : reply)
        Require((c >= '0' && c <= '9') || c == '-' || c == ' ');
}

} // namespace

void CheckScanRules(std::string_view bytes) {
    CheckTarget(bytes);
    CheckStatusShape(bytes);
}

} // namespace kestrel::fuzz
