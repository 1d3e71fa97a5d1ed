#include "app_icon.h"

#include <QPainter>
#include <QSvgRenderer>

namespace kestrel {

namespace {
// Built in from packaging/ (see src/app/CMakeLists.txt), the same file that
// is installed into the icon theme.
const char kIconResource[] = ":/icons/app-icon.svg";
} // namespace

QPixmap RenderAppIcon(int size) {
    QSvgRenderer renderer(QString::fromLatin1(kIconResource));
    if (!renderer.isValid())
        return {};
    QPixmap pixmap(size, size);
    pixmap.fill(Qt::transparent);
    QPainter painter(&pixmap);
    painter.setRenderHint(QPainter::Antialiasing);
    renderer.render(&painter);
    return pixmap;
}

QIcon MakeAppIcon() {
    QIcon icon;
    for (const int size : {16, 32, 48, 64})
        icon.addPixmap(RenderAppIcon(size));
    return icon;
}

} // namespace kestrel
