// kestrel-flash keeps the machine awake while it follows a run: logind's
// manager, on a bus of the test's own, sees the lock taken and let go.

#include "flash_process.h"
#include "logind_stand_in.h"
#include "sim_thread.h"

#include <QProcess>
#include <QTest>

#include <csignal>

class FlashAwakeTest : public QObject {
    Q_OBJECT
private slots:
    void initTestCase() { QVERIFY(m_logind.StartBus() && m_logind.StartManager()); }
    void lockedUntilStopped_data();
    void lockedUntilStopped();

private:
    kestrel::test::LogindStandIn m_logind;
};

void FlashAwakeTest::lockedUntilStopped_data() {
    QTest::addColumn<QString>("bus"); // empty: the test's own
    QTest::addColumn<int>("locks");
    QTest::newRow("logind") << "" << 1;
    QTest::newRow("no system bus") << "unix:path=/nonexistent/bus" << 0;
}

void FlashAwakeTest::lockedUntilStopped() {
    QFETCH(QString, bus);
    QFETCH(int, locks);
    kestrel::sim::SimOptions options = kestrel::test::FlashCamera();
    options.eraseMs = 60000;
    kestrel::sim::SimThread sim(options);
    QVERIFY(sim.Start());
    QProcess process;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    if (!bus.isEmpty())
        environment.insert(QStringLiteral("DBUS_SYSTEM_BUS_ADDRESS"), bus);
    process.setProcessEnvironment(environment);
    const qsizetype before = m_logind.Calls().size();
    process.start(QStringLiteral(KESTREL_FLASH_PROGRAM),
                  {"update", "--json", kestrel::test::Loopback(sim.Port())});
    QByteArray out;
    QTRY_VERIFY_WITH_TIMEOUT(
        (out += process.readAllStandardOutput()).contains(R"("state":"erasing")"), 20000);
    QCOMPARE(m_logind.Held(), locks);
    QCOMPARE(m_logind.Calls().mid(before),
             QStringList(locks, "sleep:idle|kestrel-flash|Camera firmware programming in "
                                "progress|block"));
    ::kill(static_cast<pid_t>(process.processId()), SIGINT);
    QVERIFY(process.waitForFinished(5000));
    QCOMPARE(process.exitCode(), 1);
    QCOMPARE(process.readAllStandardError(), QByteArray());
    QCOMPARE(m_logind.Held(), 0);
}

QTEST_GUILESS_MAIN(FlashAwakeTest)
#include "flash_awake_test.moc"
