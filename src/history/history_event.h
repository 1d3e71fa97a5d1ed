#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

// One event of the production history: something that changes a camera or a
// stick began or ended. Events are only ever appended; an operation is the
// pair of its "begin" and "end" events, linked by the operation id. Plain
// C++, no Qt, so that any bytes can be fed to the rules that read events.
namespace kestrel {

// The faces, actions and phases an event names, as they are written.
namespace history {
inline constexpr std::string_view kWindow = "window";
inline constexpr std::string_view kTerminal = "terminal";
inline constexpr std::string_view kUpdate = "update";
inline constexpr std::string_view kWatch = "watch";
inline constexpr std::string_view kPowerCycle = "power-cycle";
inline constexpr std::string_view kStage = "stage";
inline constexpr std::string_view kEject = "eject";
inline constexpr std::string_view kBegin = "begin";
inline constexpr std::string_view kEnd = "end";
} // namespace history

// A file copied onto a stick, with the SHA-256 of its bytes in lower-case hex.
struct StickFile {
    std::string name;
    std::string sha256;
    bool operator==(const StickFile&) const = default;
};

struct HistoryEvent {
    std::int64_t id = 0;      // given by the history when the event is appended
    std::int64_t timeMs = 0;  // UTC, milliseconds since 1970
    std::string bench;        // the host name of the machine
    std::string operatorName; // the login name
    std::string face;         // history::kWindow or kTerminal
    std::string action;       // history::kUpdate ... kEject
    std::string phase;        // history::kBegin or kEnd
    std::string operation;    // the same in an operation's begin and end
    std::string address;      // the camera's IPv4 address
    std::string serial;
    std::string model;
    std::string hardwareBefore;
    std::string hardwareAfter;
    std::string software;
    std::string target; // the hardware version asked for, if any
    std::string result; // a code of the result table; empty in a begin
    bool changed = false;
    std::int64_t elapsedMs = 0;
    std::string recordFile; // the camera's conversation record
    std::string toolVersion;
    std::vector<StickFile> stickFiles;
    std::string signerKey; // may be empty
    std::int64_t pid = 0;
    std::string processStart; // with pid, tells the process apart from a later one

    bool operator==(const HistoryEvent&) const = default;
};

// An event's fields fall in two parts: those a history is searched by (time,
// action, phase, operation, serial, result), and the detail, the rest. Each
// part is written as fields of its length in decimal, ':' and its bytes, in a
// fixed order, so that no two events share them.

// The bytes the chain hashes for an event: a tag of this layout, the
// searched fields, then the detail. The id is the event's place in the chain,
// which the previous hash pins down, and not part of it.
std::string CanonicalContent(const HistoryEvent& event);
// The same from the event's searched fields and the bytes of a detail.
std::string CanonicalContent(const HistoryEvent& searched, std::string_view detail);

// The detail's bytes, and the detail fields of an event read back from them;
// false, leaving the event as it was, when the bytes are not what
// EventDetail makes.
std::string EventDetail(const HistoryEvent& event);
bool ReadEventDetail(std::string_view detail, HistoryEvent& event);

// The stick files as one field: the same length-prefixed form.
std::string EncodeStickFiles(const std::vector<StickFile>& files);
// The files back; nothing when the bytes are not what EncodeStickFiles makes.
std::optional<std::vector<StickFile>> DecodeStickFiles(std::string_view bytes);

} // namespace kestrel
