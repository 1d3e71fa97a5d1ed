#pragma once

#include <array>
#include <optional>
#include <string>
#include <string_view>

// Which hardware firmware version a camera runs, against the one it should
// run. Plain C++ on byte strings, no Qt, so that anything a camera or an
// operator gives can be fed to it.
namespace kestrel {

// A hardware firmware version as the camera's information shows it: three
// hexadecimal parts of one or two digits joined by dots ("1.2A.3F"), either
// case. The parts as numbers, when the text is one.
using HwVersionParts = std::array<int, 3>;
std::optional<HwVersionParts> ReadHwVersion(std::string_view text);

// The version as the camera shows it (letters upper-cased); empty when the
// text is not a version.
std::string NormalizedHwVersion(std::string_view text);

// Both are versions and equal part by part: "1.2b.5" is "1.2B.05".
bool SameHwVersion(std::string_view a, std::string_view b);

// What an update does with a camera, by its version: program it, or leave it
// as it is because it already runs the target, or because its version cannot
// be read and so cannot be checked against the target.
struct VersionDecision {
    bool program = true;
    // Why: "current" or "unread" (left alone); "no target", "reinstall",
    // "older" or "newer" (programmed).
    std::string_view reason;
    bool Unread() const { return reason == "unread"; }
};

// cameraVersion as the camera's information shows it; target empty: no
// target version was given. reinstall programs a camera that is current.
VersionDecision DecideByVersion(std::string_view cameraVersion, std::string_view target,
                                bool reinstall);

// The version a camera told after its power cycle, against the one before.
enum class HwVersionChange {
    Unread,    // after is not a version: nothing is confirmed
    Unknown,   // before is not a version: whether it changed cannot be told
    Unchanged, // the same version, part by part
    Changed,
};
HwVersionChange CompareHwVersions(std::string_view before, std::string_view after);

// What the camera gave for its version, in double quotes, fit for a sentence:
// printable ASCII as it is, except a backslash or a quote, which get a
// backslash before them; every other byte as \xNN.
std::string QuotedHwVersion(std::string_view text);

} // namespace kestrel
