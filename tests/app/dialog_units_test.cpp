#include "dialog_units.h"

#include <QFont>
#include <QFontMetrics>
#include <QTest>

#include <climits>

using kestrel::DialogUnits;

class DialogUnitsTest : public QObject {
    Q_OBJECT

private slots:
    void mulDiv_data();
    void mulDiv();
    void baseUnits_data();
    void baseUnits();
    void rectangles_data();
    void rectangles();
    void fromFontMeasuresTheAlphabetAndTheHeight();
};

void DialogUnitsTest::mulDiv_data() {
    QTest::addColumn<int>("number");
    QTest::addColumn<int>("numerator");
    QTest::addColumn<int>("denominator");
    QTest::addColumn<int>("expected");

    QTest::newRow("exact") << 252 << 6 << 4 << 378;
    QTest::newRow("rounds down below a half") << 311 << 13 << 8 << 505;
    QTest::newRow("rounds up above a half") << 433 << 13 << 8 << 704;
    QTest::newRow("half rounds away from zero") << 5 << 1 << 2 << 3;
    QTest::newRow("negative half rounds away from zero") << -5 << 1 << 2 << -3;
    QTest::newRow("minus one half") << -1 << 1 << 2 << -1;
    QTest::newRow("negative denominator") << 3 << 1 << -2 << -2;
    QTest::newRow("two negatives") << -7 << -13 << 8 << 11;
    QTest::newRow("zero with a negative factor") << 0 << -5 << 2 << 0;
    QTest::newRow("one unit of eight") << 1 << 13 << 8 << 2;
    QTest::newRow("three sevenths of eight") << 3 << 7 << 8 << 3;
    QTest::newRow("wide intermediate") << INT_MAX << 2 << 2 << INT_MAX;
    QTest::newRow("largest result") << INT_MAX << 1 << 1 << INT_MAX;
    QTest::newRow("smallest result") << -INT_MAX << 1 << 1 << -INT_MAX;
    QTest::newRow("overflow") << INT_MAX << 2 << 1 << -1;
    QTest::newRow("division by zero") << 7 << 1 << 0 << -1;
}

void DialogUnitsTest::mulDiv() {
    QFETCH(int, number);
    QFETCH(int, numerator);
    QFETCH(int, denominator);
    QFETCH(int, expected);
    QCOMPARE(kestrel::MulDiv(number, numerator, denominator), expected);
}

void DialogUnitsTest::baseUnits_data() {
    QTest::addColumn<int>("alphabetAdvance");
    QTest::addColumn<int>("fontHeight");
    QTest::addColumn<int>("baseX");
    QTest::addColumn<int>("baseY");

    // baseX = (advance / 26 + 1) / 2, both divisions truncating.
    QTest::newRow("average 12") << 312 << 13 << 6 << 13;
    QTest::newRow("average just below 13") << 337 << 13 << 6 << 13;
    QTest::newRow("average 13") << 338 << 14 << 7 << 14;
    QTest::newRow("average 14") << 364 << 16 << 7 << 16;
    QTest::newRow("average 15") << 390 << 19 << 8 << 19;
}

void DialogUnitsTest::baseUnits() {
    QFETCH(int, alphabetAdvance);
    QFETCH(int, fontHeight);
    QFETCH(int, baseX);
    QFETCH(int, baseY);
    const DialogUnits units = DialogUnits::FromMeasures(alphabetAdvance, fontHeight);
    QCOMPARE(units.BaseX(), baseX);
    QCOMPARE(units.BaseY(), baseY);
}

void DialogUnitsTest::rectangles_data() {
    QTest::addColumn<int>("baseX");
    QTest::addColumn<int>("baseY");
    QTest::addColumn<QRect>("dialogUnits");
    QTest::addColumn<QRect>("pixels");

    QTest::newRow("update button, 6x13")
        << 6 << 13 << QRect(87, 311, 77, 14) << QRect(131, 505, 116, 23);
    QTest::newRow("log pane, 6x13")
        << 6 << 13 << QRect(15, 353, 222, 72) << QRect(23, 574, 333, 117);
    QTest::newRow("connect button, 7x16")
        << 7 << 16 << QRect(146, 197, 50, 14) << QRect(256, 394, 88, 28);
    QTest::newRow("select button, 8x19")
        << 8 << 19 << QRect(212, 39, 25, 15) << QRect(424, 93, 50, 36);
}

void DialogUnitsTest::rectangles() {
    QFETCH(int, baseX);
    QFETCH(int, baseY);
    QFETCH(QRect, dialogUnits);
    QFETCH(QRect, pixels);
    const DialogUnits units(baseX, baseY);
    QCOMPARE(units.ToPixels(dialogUnits), pixels);
    QCOMPARE(units.ToPixels(dialogUnits.size()), pixels.size());
}

void DialogUnitsTest::fromFontMeasuresTheAlphabetAndTheHeight() {
    QFont font;
    font.setPointSize(8);
    const QFontMetrics metrics(font);
    const int advance = metrics.horizontalAdvance(QStringLiteral("ABCDEFGHIJKLMNOPQRSTUVWXYZ")) +
                        metrics.horizontalAdvance(QStringLiteral("abcdefghijklmnopqrstuvwxyz"));
    const DialogUnits units = DialogUnits::FromFont(font);
    // Kerning between the halves may shift the sum by a pixel or two; the
    // average per letter pair stays the same.
    QVERIFY(qAbs(units.BaseX() - (advance / 26 + 1) / 2) <= 1);
    QCOMPARE(units.BaseY(), metrics.height());
    QVERIFY(units.BaseX() > 0);
}

QTEST_MAIN(DialogUnitsTest)
#include "dialog_units_test.moc"
