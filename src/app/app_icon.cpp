#include "app_icon.h"

#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>
#include <QRadialGradient>

#include <algorithm>

namespace kestrel {

namespace {

const QColor kOutline(0x3b, 0x24, 0x12);
const QColor kRufousLight(0xd9, 0x7e, 0x35);
const QColor kRufousDark(0x8e, 0x45, 0x16);
const QColor kSlate(0x4a, 0x58, 0x6a);
const QColor kGlassLight(0x9c, 0xc8, 0xec);
const QColor kGlassDark(0x12, 0x2c, 0x4c);
const QColor kFlash(0xff, 0xd2, 0x3f);

void DrawBody(QPainter& painter, qreal s, qreal pen) {
    QLinearGradient fill(0, 0.25 * s, 0, 0.9 * s);
    fill.setColorAt(0, kRufousLight);
    fill.setColorAt(1, kRufousDark);
    painter.setPen(QPen(kOutline, pen));
    painter.setBrush(fill);
    // The viewfinder hump first, so that the body's outline closes over it.
    painter.drawRoundedRect(QRectF(0.16 * s, 0.16 * s, 0.28 * s, 0.2 * s), 0.05 * s, 0.05 * s);
    painter.drawRoundedRect(QRectF(0.06 * s, 0.27 * s, 0.88 * s, 0.6 * s), 0.1 * s, 0.1 * s);
}

void DrawLens(QPainter& painter, qreal s, qreal pen) {
    const QPointF centre(0.45 * s, 0.58 * s);
    painter.setPen(QPen(kOutline, pen));
    painter.setBrush(kSlate);
    painter.drawEllipse(centre, 0.23 * s, 0.23 * s);
    QRadialGradient glass(centre - QPointF(0.05 * s, 0.05 * s), 0.18 * s);
    glass.setColorAt(0, kGlassLight);
    glass.setColorAt(1, kGlassDark);
    painter.setPen(Qt::NoPen);
    painter.setBrush(glass);
    painter.drawEllipse(centre, 0.145 * s, 0.145 * s);
    painter.setBrush(QColor(255, 255, 255, 190));
    painter.drawEllipse(centre - QPointF(0.06 * s, 0.06 * s), 0.045 * s, 0.045 * s);
}

void DrawFlash(QPainter& painter, qreal s, qreal pen) {
    QPainterPath bolt;
    bolt.moveTo(0.86 * s, 0.33 * s);
    bolt.lineTo(0.75 * s, 0.48 * s);
    bolt.lineTo(0.81 * s, 0.48 * s);
    bolt.lineTo(0.76 * s, 0.62 * s);
    bolt.lineTo(0.9 * s, 0.44 * s);
    bolt.lineTo(0.84 * s, 0.44 * s);
    bolt.closeSubpath();
    painter.setPen(QPen(kOutline, pen * 0.75));
    painter.setBrush(kFlash);
    painter.drawPath(bolt);
}

} // namespace

QPixmap DrawAppIcon(int size) {
    QPixmap pixmap(size, size);
    pixmap.fill(Qt::transparent);
    QPainter painter(&pixmap);
    painter.setRenderHint(QPainter::Antialiasing);
    const qreal s = size;
    const qreal pen = std::max<qreal>(1.0, s / 24);
    DrawBody(painter, s, pen);
    DrawLens(painter, s, pen);
    if (size >= 32)
        DrawFlash(painter, s, pen);
    return pixmap;
}

QIcon MakeAppIcon() {
    QIcon icon;
    for (const int size : {16, 32, 48, 64})
        icon.addPixmap(DrawAppIcon(size));
    return icon;
}

} // namespace kestrel
