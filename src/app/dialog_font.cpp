#include "dialog_font.h"

#include <QFontDatabase>

namespace kestrel {

QFont DialogFont() {
#ifdef Q_OS_WIN
    // Windows resolves the shell font name through its font substitutes,
    // which the font database does not list as a family.
    QFont font(QStringLiteral("MS Shell Dlg 2"));
#else
    QFont font = QFontDatabase::systemFont(QFontDatabase::GeneralFont);
    for (const QString& family :
         {QStringLiteral("MS Shell Dlg 2"), QStringLiteral("MS Shell Dlg")}) {
        if (QFontDatabase::hasFamily(family)) {
            font = QFont(family);
            break;
        }
    }
#endif
    font.setPointSize(8);
    return font;
}

} // namespace kestrel
