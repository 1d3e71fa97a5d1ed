#pragma once

#include <QRect>
#include <QSize>

class QFont;

namespace kestrel {

// number * numerator / denominator with a 64-bit intermediate, rounded to the
// nearest integer with halves away from zero; -1 when the denominator is 0 or
// the result does not fit into 32 bits (the rules of the Windows MulDiv).
int MulDiv(int number, int numerator, int denominator);

// Converts dialog-template coordinates to pixels the way the Windows dialog
// manager does: a horizontal unit is a quarter of the font's average character
// width, a vertical unit an eighth of its height.
class DialogUnits {
public:
    DialogUnits(int baseX, int baseY) : m_baseX(baseX), m_baseY(baseY) {}

    // alphabetAdvance: the width of "A".."Z" followed by "a".."z".
    static DialogUnits FromMeasures(int alphabetAdvance, int fontHeight);
    static DialogUnits FromFont(const QFont& font);

    int BaseX() const { return m_baseX; }
    int BaseY() const { return m_baseY; }

    int ToPixelsX(int x) const { return MulDiv(x, m_baseX, 4); }
    int ToPixelsY(int y) const { return MulDiv(y, m_baseY, 8); }
    // Each of x, y, width and height is converted on its own.
    QRect ToPixels(const QRect& rect) const;
    QSize ToPixels(const QSize& size) const;

private:
    int m_baseX;
    int m_baseY;
};

} // namespace kestrel
