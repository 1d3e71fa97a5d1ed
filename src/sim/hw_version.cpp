#include "hw_version.h"

#include <QStringList>

namespace kestrel::sim {

QByteArray HwVersion::Text() const {
    return parts[0] + '.' + parts[1] + '.' + parts[2];
}

std::optional<HwVersion> ParseHwVersion(const QString& text) {
    const QStringList pieces = text.split(QLatin1Char('.'));
    if (pieces.size() != 3) {
        return std::nullopt;
    }
    HwVersion version;
    for (int i = 0; i < 3; ++i) {
        const QString& piece = pieces.at(i);
        if (piece.isEmpty() || piece.size() > 8) {
            return std::nullopt;
        }
        for (const QChar c : piece) {
            const bool hex = (c >= QLatin1Char('0') && c <= QLatin1Char('9')) ||
                             (c >= QLatin1Char('a') && c <= QLatin1Char('f')) ||
                             (c >= QLatin1Char('A') && c <= QLatin1Char('F'));
            if (!hex) {
                return std::nullopt;
            }
        }
        version.parts[static_cast<std::size_t>(i)] = piece.toLower().toLatin1();
    }
    return version;
}

} // namespace kestrel::sim
