#include "dialog_units.h"

#include <QFont>
#include <QFontMetrics>

#include <cstdint>
#include <limits>

namespace kestrel {

int MulDiv(int number, int numerator, int denominator) {
    if (denominator == 0)
        return -1;
    std::int64_t product = std::int64_t{number} * numerator;
    std::int64_t divisor = denominator;
    if (divisor < 0) {
        product = -product;
        divisor = -divisor;
    }
    const std::int64_t half = divisor / 2;
    const std::int64_t result = (product >= 0 ? product + half : product - half) / divisor;
    if (result > std::numeric_limits<int>::max() || result < -std::numeric_limits<int>::max())
        return -1;
    return static_cast<int>(result);
}

DialogUnits DialogUnits::FromMeasures(int alphabetAdvance, int fontHeight) {
    return DialogUnits((alphabetAdvance / 26 + 1) / 2, fontHeight);
}

DialogUnits DialogUnits::FromFont(const QFont& font) {
    const QFontMetrics metrics(font);
    return FromMeasures(metrics.horizontalAdvance(
                            QStringLiteral("ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz")),
                        metrics.height());
}

QRect DialogUnits::ToPixels(const QRect& rect) const {
    return QRect(ToPixelsX(rect.x()), ToPixelsY(rect.y()), ToPixelsX(rect.width()),
                 ToPixelsY(rect.height()));
}

QSize DialogUnits::ToPixels(const QSize& size) const {
    return QSize(ToPixelsX(size.width()), ToPixelsY(size.height()));
}

} // namespace kestrel
