#include "about_dlg.h"

#include "app_icon.h"
#include "app_identity.h"
#include "dialog_font.h"
#include "dialog_units.h"

#include <QLabel>
#include <QPushButton>

CAboutDlg::CAboutDlg(QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                          Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint |
                          Qt::MSWindowsFixedSizeDialogHint) {
    const QString name = QString::fromLatin1(kestrel::kApplicationName);
    setWindowTitle(QStringLiteral("About %1").arg(name));
    const QIcon icon = kestrel::MakeAppIcon();
    setWindowIcon(icon);
    setFont(kestrel::DialogFont());
    const auto units = kestrel::DialogUnits::FromFont(font());
    setFixedSize(units.ToPixels(QSize(190, 62)));

    auto* picture = new QLabel(this);
    picture->setPixmap(icon.pixmap(32, 32));
    picture->setGeometry(units.ToPixelsX(14), units.ToPixelsY(14), 32, 32);
    picture->setAccessibleName(name);

    auto* version = new QLabel(QStringLiteral("%1, Version %2")
                                   .arg(name, QString::fromLatin1(kestrel::kApplicationVersion)),
                               this);
    version->setTextFormat(Qt::PlainText);
    version->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    version->setGeometry(units.ToPixels(QRect(42, 14, 140, 8)));
    version->setAccessibleName(version->text());

    auto* ok = new QPushButton(QStringLiteral("OK"), this);
    ok->setObjectName(QStringLiteral("IDOK"));
    ok->setAccessibleName(QStringLiteral("OK"));
    ok->setGeometry(units.ToPixels(QRect(133, 41, 50, 14)));
    ok->setDefault(true);
    ok->setFocus();
    connect(ok, &QPushButton::clicked, this, &QDialog::accept);
}
