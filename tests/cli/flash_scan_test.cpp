#include "flash_process.h"
#include "sim_thread.h"

#include <QHostAddress>
#include <QTest>

using kestrel::sim::SimOptions;
using kestrel::sim::SimThread;
using kestrel::test::FlashRun;
using kestrel::test::RunFlash;

class FlashScanTest : public QObject {
    Q_OBJECT
private slots:
    void initTestCase();
    void eachForm();
    void usageErrors_data();
    void usageErrors();

private:
    std::unique_ptr<SimThread> m_idle;
    std::unique_ptr<SimThread> m_programming;
    QString m_port;
};

void FlashScanTest::initTestCase() {
    SimOptions options;
    options.quiet = true;
    options.serverVersion = "vx\x1b]0;x\x07 3.9"; // a camera text the terminal must not act on
    m_idle = std::make_unique<SimThread>(options);
    QVERIFY(m_idle->Start(QHostAddress(QStringLiteral("127.0.0.84")), 0));
    options.runInProgress = true;
    m_programming = std::make_unique<SimThread>(options);
    QVERIFY(m_programming->Start(QHostAddress(QStringLiteral("127.0.0.82")), m_idle->Port()));
    m_port = QString::number(m_idle->Port());
}

void FlashScanTest::eachForm() {
    const QString range = QStringLiteral("127.0.0.80-85");
    const FlashRun table = RunFlash({"scan", range, "--port", m_port});
    QVERIFY(table.finished);
    QCOMPARE(table.exitCode, 0);
    const QString idle = "127.0.0.84:" + m_port;
    const QString busy = "127.0.0.82:" + m_port;
    QCOMPARE(table.OutLines(),
             (QStringList{"CAMERA" + QString(busy.size() - 4, ' ') +
                              "STATE        SERIAL    MODEL  HARDWARE  SOFTWARE",
                          busy + "  programming  -         -      -         -",
                          idle + "  idle         21040017  VX340  1.2A.3F   vx\\x1b]0;x\\x07 3.9",
                          "2 cameras found at 6 addresses."}));

    FlashRun addresses = RunFlash({"scan", "--addresses", range + ":" + m_port});
    QCOMPARE(addresses.exitCode, 0);
    QStringList lines = addresses.OutLines();
    lines.sort();
    QCOMPARE(lines, (QStringList{busy, idle}));

    const FlashRun json = RunFlash({"scan", "--json", range, "--port", m_port});
    QCOMPARE(json.exitCode, 0);
    const QList<QJsonObject> objects = json.JsonLines();
    QCOMPARE(objects.size(), 4);
    QCOMPARE(objects.first().value("event").toString(), "begin");
    QCOMPARE(objects.first().value("addresses").toInt(), 6);
    QCOMPARE(objects.last().value("event").toString(), "summary");
    QCOMPARE(objects.last().value("found").toInt(), 2);
    QCOMPARE(objects.last().value("interrupted").toBool(), false);
    QStringList cameras;
    for (const QJsonObject& camera : {objects.at(1), objects.at(2)})
        cameras << camera.value("event").toString() + ' ' + camera.value("address").toString() +
                       ':' + QString::number(camera.value("port").toInt()) + ' ' +
                       camera.value("state").toString() + ' ' +
                       camera.value("camera").toObject().value("serial").toString();
    cameras.sort();
    QCOMPARE(cameras, (QStringList{"camera " + busy + " programming ",
                                   "camera " + idle + " idle 21040017"}));

    const FlashRun none = RunFlash({"scan", "--plain", "127.0.0.83:" + m_port});
    QCOMPARE(none.exitCode, 1);
    QCOMPARE(none.OutLines(), QStringList{"0 cameras found at 1 address."});
}

void FlashScanTest::usageErrors_data() {
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<QString>("error");
    QTest::newRow("no target") << QStringList{"scan", "--json"}
                               << "scan needs at least one TARGET";
    QTest::newRow("over 1024, all targets together")
        << QStringList{"scan", "10.0.0.0/22", "10.0.9.1-3"}
        << "1025 addresses is more than 1024: add --large to search them all";
    QTest::newRow("two forms") << QStringList{"scan", "--json", "--addresses", "10.0.0.1"}
                               << "--plain, --json and --addresses cannot be used together";
    QTest::newRow("parallel 0") << QStringList{"scan", "--parallel", "0", "10.0.0.1"}
                                << "--parallel takes a number from 1 to 1024";
}

void FlashScanTest::usageErrors() {
    QFETCH(QStringList, arguments);
    QFETCH(QString, error);
    const FlashRun run = RunFlash(arguments);
    QCOMPARE(run.exitCode, 2);
    QVERIFY(run.out.isEmpty());
    QVERIFY2(QString::fromUtf8(run.err).contains(error), run.err.constData());
}

QTEST_GUILESS_MAIN(FlashScanTest)
#include "flash_scan_test.moc"
