// The texts the simulator reads and shows: escapes and firmware versions.

#include "escapes.h"
#include "hw_version.h"

#include <QTest>

using kestrel::sim::DecodeEscapes;
using kestrel::sim::EscapeBytes;
using kestrel::sim::ParseHwVersion;

class TestSimTexts : public QObject {
    Q_OBJECT

private slots:
    void escapeBytes();
    void decodeEscapes_data();
    void decodeEscapes();
    void hwVersion_data();
    void hwVersion();
};

void TestSimTexts::escapeBytes() {
    QCOMPARE(EscapeBytes(QByteArray("A b~\r\n\t\\\0\x01\x7f\xb0", 12)),
             QString("A b~\\r\\n\\t\\\\\\x00\\x01\\x7f\\xb0"));
    QCOMPARE(EscapeBytes(QByteArray()), QString());
}

void TestSimTexts::decodeEscapes_data() {
    QTest::addColumn<QByteArray>("text");
    QTest::addColumn<bool>("good");
    QTest::addColumn<QByteArray>("bytes");

    QTest::newRow("plain") << QByteArray("SN 12") << true << QByteArray("SN 12");
    QTest::newRow("empty") << QByteArray() << true << QByteArray();
    QTest::newRow("cr lf tab") << QByteArray("a\\rb\\nc\\td") << true << QByteArray("a\rb\nc\td");
    QTest::newRow("backslash") << QByteArray("a\\\\b") << true << QByteArray("a\\b");
    QTest::newRow("zero byte") << QByteArray("12\\x0034") << true
                               << QByteArray("12\0"
                                             "34",
                                             5);
    QTest::newRow("hex upper") << QByteArray("\\xB0\\xff") << true << QByteArray("\xb0\xff");
    QTest::newRow("unknown") << QByteArray("\\a") << false << QByteArray();
    QTest::newRow("last") << QByteArray("ab\\") << false << QByteArray();
    QTest::newRow("hex one digit") << QByteArray("\\x4") << false << QByteArray();
    QTest::newRow("hex not hex") << QByteArray("\\xg0") << false << QByteArray();
}

void TestSimTexts::decodeEscapes() {
    QFETCH(QByteArray, text);
    QFETCH(bool, good);
    QFETCH(QByteArray, bytes);
    QString error;
    const std::optional<QByteArray> decoded = DecodeEscapes(text, &error);
    QCOMPARE(decoded.has_value(), good);
    if (good) {
        QCOMPARE(*decoded, bytes);
        QVERIFY(error.isEmpty());
    } else {
        QVERIFY(!error.isEmpty());
    }
}

void TestSimTexts::hwVersion_data() {
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("parsed"); // empty: refused

    QTest::newRow("default") << "1.2a.3f"
                             << "1.2a.3f";
    QTest::newRow("upper") << "A.B.C"
                           << "a.b.c";
    QTest::newRow("eight digits") << "12345678.0.0"
                                  << "12345678.0.0";
    QTest::newRow("nine digits") << "123456789.0.0"
                                 << "";
    QTest::newRow("two parts") << "1.2"
                               << "";
    QTest::newRow("four parts") << "1.2.3.4"
                                << "";
    QTest::newRow("empty part") << "1..3"
                                << "";
    QTest::newRow("blank") << "1. 2.3"
                           << "";
    QTest::newRow("empty") << ""
                           << "";
}

void TestSimTexts::hwVersion() {
    QFETCH(QString, text);
    QFETCH(QString, parsed);
    const auto version = ParseHwVersion(text);
    QCOMPARE(version.has_value(), !parsed.isEmpty());
    if (version) {
        QCOMPARE(QString::fromLatin1(version->Text()), parsed);
    }
}

QTEST_MAIN(TestSimTexts)
#include "tst_sim_texts.moc"
