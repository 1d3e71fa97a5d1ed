#include "app_icon.h"

#include <QImage>
#include <QTest>

class AppIconTest : public QObject {
    Q_OBJECT

private slots:
    void sizes_data();
    void sizes();
    void iconHoldsEverySize();
};

void AppIconTest::sizes_data() {
    QTest::addColumn<int>("size");
    for (const int size : {16, 32, 48, 64})
        QTest::addRow("%d px", size) << size;
}

void AppIconTest::sizes() {
    QFETCH(int, size);
    const QImage image = kestrel::RenderAppIcon(size).toImage();
    QCOMPARE(image.size(), QSize(size, size));
    QVERIFY(image.hasAlphaChannel());
    // Transparent corners around an opaque camera body and lens.
    QCOMPARE(qAlpha(image.pixel(0, 0)), 0);
    QCOMPARE(qAlpha(image.pixel(size - 1, size - 1)), 0);
    const QRgb lens = image.pixel(size * 45 / 100, size * 58 / 100);
    const QRgb body = image.pixel(size / 8, size / 2);
    QCOMPARE(qAlpha(lens), 255);
    QCOMPARE(qAlpha(body), 255);
    // Blue glass in a rufous body.
    QVERIFY2(qBlue(lens) > qRed(lens), qPrintable(QColor(lens).name()));
    QVERIFY2(qRed(body) > qBlue(body) + 60, qPrintable(QColor(body).name()));
}

void AppIconTest::iconHoldsEverySize() {
    const QIcon icon = kestrel::MakeAppIcon();
    const QList<QSize> sizes = icon.availableSizes();
    for (const int size : {16, 32, 48, 64})
        QVERIFY2(sizes.contains(QSize(size, size)), qPrintable(QString::number(size)));
}

QTEST_MAIN(AppIconTest)
#include "app_icon_test.moc"
