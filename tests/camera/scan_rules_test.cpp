#include "scan_targets.h"
#include "status_shape.h"

#include <QTest>

using namespace kestrel;

namespace {
// a.b.c.d in host byte order
quint32 Ip(quint32 a, quint32 b, quint32 c, quint32 d) {
    return a << 24 | b << 16 | c << 8 | d;
}
} // namespace

class ScanRulesTest : public QObject {
    Q_OBJECT
private slots:
    void target_data();
    void target();
    void refused_data();
    void refused();
    void statusReply_data();
    void statusReply();
};

void ScanRulesTest::target_data() {
    QTest::addColumn<QByteArray>("text");
    QTest::addColumn<quint32>("first");
    QTest::addColumn<quint32>("last");
    QTest::addColumn<int>("port");
    const quint32 net = Ip(192, 168, 1, 0);
    QTest::newRow("address") << QByteArray("192.168.1.40") << net + 40 << net + 40 << 5000;
    QTest::newRow("address and port") << QByteArray("10.0.0.5:15000") << Ip(10, 0, 0, 5)
                                      << Ip(10, 0, 0, 5) << 15000;
    QTest::newRow("network /24, hosts only") << QByteArray("192.168.1.0/24") << net + 1
                                             << net + 254 << 5000;
    QTest::newRow("host bits of the prefix ignored")
        << QByteArray("192.168.1.77/24:6000") << net + 1 << net + 254 << 6000;
    QTest::newRow("/30 two hosts") << QByteArray("192.168.1.4/30") << net + 5 << net + 6 << 5000;
    QTest::newRow("/31 both") << QByteArray("192.168.1.4/31") << net + 4 << net + 5 << 5000;
    QTest::newRow("/32 itself") << QByteArray("192.168.1.4/32") << net + 4 << net + 4 << 5000;
    QTest::newRow("/0 everything") << QByteArray("1.2.3.4/0") << 1u << 0xFFFFFFFEu << 5000;
    QTest::newRow("range") << QByteArray("192.168.1.20-39") << net + 20 << net + 39 << 5000;
    QTest::newRow("range to 255") << QByteArray("192.168.1.0-255:65535") << net << net + 255
                                  << 65535;
}

void ScanRulesTest::target() {
    QFETCH(QByteArray, text);
    QFETCH(quint32, first);
    QFETCH(quint32, last);
    QFETCH(int, port);
    const TargetReading reading = ReadScanTarget(text.toStdString(), 5000);
    QVERIFY2(reading.target, reading.error.c_str());
    QVERIFY(reading.error.empty());
    QCOMPARE(reading.target->first, first);
    QCOMPARE(reading.target->last, last);
    QCOMPARE(int(reading.target->port), port);
    QCOMPARE(reading.target->Count(), quint64(last) - first + 1);
}

void ScanRulesTest::refused_data() {
    QTest::addColumn<QByteArray>("text");
    QTest::addColumn<QByteArray>("why");
    const QByteArray notOne = "is not an address, a.b.c.d/n or a.b.c.d-e";
    QTest::newRow("empty") << QByteArray("") << notOne;
    QTest::newRow("three numbers") << QByteArray("10.0.0") << notOne;
    QTest::newRow("five numbers") << QByteArray("10.0.0.1.2") << notOne;
    QTest::newRow("number over 255") << QByteArray("10.0.256.1") << notOne;
    QTest::newRow("leading zero") << QByteArray("10.0.0.010") << notOne;
    QTest::newRow("host name") << QByteArray("cam-07.lab") << notOne;
    QTest::newRow("blank") << QByteArray(" 10.0.0.1") << notOne;
    QTest::newRow("prefix and range") << QByteArray("10.0.0.1/24-5") << notOne;
    QTest::newRow("prefix 33") << QByteArray("10.0.0.0/33")
                               << QByteArray("has no prefix length from 0 to 32 after its \"/\"");
    QTest::newRow("range end 256") << QByteArray("10.0.0.1-256")
                                   << QByteArray("has no last number from 0 to 255 after its \"-\"");
    QTest::newRow("range backwards") << QByteArray("10.0.0.9-3")
                                     << QByteArray("ends below its start");
    QTest::newRow("port 0") << QByteArray("10.0.0.1:0")
                            << QByteArray("has no port from 1 to 65535 after its \":\"");
    QTest::newRow("port 65536") << QByteArray("10.0.0.1:65536")
                                << QByteArray("has no port from 1 to 65535 after its \":\"");
    QTest::newRow("two colons") << QByteArray("10.0.0.1:50:00")
                                << QByteArray("has no port from 1 to 65535 after its \":\"");
}

void ScanRulesTest::refused() {
    QFETCH(QByteArray, text);
    QFETCH(QByteArray, why);
    const TargetReading reading = ReadScanTarget(text.toStdString(), 5000);
    QVERIFY(!reading.target);
    QCOMPARE(QByteArray::fromStdString(reading.error), "\"" + text + "\" " + why);
}

void ScanRulesTest::statusReply_data() {
    QTest::addColumn<QByteArray>("reply");
    QTest::addColumn<bool>("status");
    QTest::newRow("idle") << QByteArray("0 0 0 0") << true;
    QTest::newRow("figures") << QByteArray("1 155 10 20000 0") << true;
    QTest::newRow("six numbers") << QByteArray("1 155 12 20000 500 99") << true;
    QTest::newRow("negative") << QByteArray("-1 155 -3 0 0") << true;
    QTest::newRow("four numbers, not idle") << QByteArray("1 2 3 4") << false;
    QTest::newRow("three numbers") << QByteArray("1 5 4") << false;
    QTest::newRow("empty") << QByteArray("") << false;
    QTest::newRow("occupied") << QByteArray("occuped") << false;
    QTest::newRow("two spaces") << QByteArray("1  155 12 20000 0") << false;
    QTest::newRow("trailing space") << QByteArray("1 155 12 20000 0 ") << false;
    QTest::newRow("letters") << QByteArray("1 155 12 20000 0x") << false;
    QTest::newRow("eleven digits") << QByteArray("1 15500000000 12 20000 0") << false;
    QTest::newRow("mail server") << QByteArray("500 5.5.1 Command unrecognized") << false;
}

void ScanRulesTest::statusReply() {
    QFETCH(QByteArray, reply);
    QFETCH(bool, status);
    QCOMPARE(IsStatusReply(std::string_view(reply.constData(), std::size_t(reply.size()))),
             status);
}

QTEST_APPLESS_MAIN(ScanRulesTest)
#include "scan_rules_test.moc"
