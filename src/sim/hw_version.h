#pragma once

#include <QByteArray>
#include <QString>

#include <array>
#include <optional>

namespace kestrel::sim {

// The hardware firmware version as the camera keeps it: three parts, each
// lower-case hex without a prefix, read one by one with REG_READ 6E80,
// REG_READ 6F80 and REG_READ 1F80 (or any text a faulty camera answers
// there, --new-hw-reply).
struct HwVersion {
    std::array<QByteArray, 3> parts;

    // The three parts joined by dots, e.g. "1.2a.3f".
    QByteArray Text() const;

    friend bool operator==(const HwVersion&, const HwVersion&) = default;
};

// Reads "1.2a.3f": three dot-separated parts of 1 to 8 hex digits each, kept
// in lower case. nullopt for anything else.
std::optional<HwVersion> ParseHwVersion(const QString& text);

} // namespace kestrel::sim
