// kestrel-flash --confirm-reboot: waits for the power cycle and checks the
// version the camera restarts with.

#include "flash_process.h"
#include "sim_thread.h"

#include <QJsonArray>
#include <QTest>

using kestrel::sim::SimOptions;
using kestrel::sim::SimThread;
using kestrel::test::FlashCamera;
using kestrel::test::FlashRun;
using kestrel::test::Loopback;
using kestrel::test::RunFlash;
using kestrel::test::SummaryJob;

namespace {

// A camera whose operator power-cycles it soon after its run has finished.
SimOptions CycledCamera() {
    SimOptions options = FlashCamera();
    options.powerCycleAfterMs = 300;
    options.powerOffMs = 1500;
    return options;
}

} // namespace

class FlashRebootTest : public QObject {
    Q_OBJECT
private slots:
    void confirmsTheNewVersion();
    void unchangedVersionFails();
    void noVersionAfterThePowerCycleFails();
    void cameraNeverPowerCycledFails();
    void watchConfirmsToo();
};

void FlashRebootTest::confirmsTheNewVersion() {
    SimThread sim(CycledCamera());
    QVERIFY(sim.Start());
    const QString camera = Loopback(sim.Port());
    const FlashRun run = RunFlash({"update", "--confirm-reboot", "--plain", camera});
    QVERIFY(run.finished);
    QCOMPARE(run.exitCode, 0);
    const QStringList lines = run.OutLines();
    const QString p = camera + ": ";
    const qsizetype instruction = lines.indexOf(p + "Power cycle the camera to load new firmware");
    const qsizetype waiting = lines.indexOf(p + "Power-cycle the camera now: waiting up to 300 s "
                                                "for it to restart with the new firmware");
    const qsizetype back = lines.indexOf(
        p + "The camera restarted with the new hardware firmware: 1.2A.3F -> 1.2B.05.");
    QVERIFY2(instruction >= 0 && waiting > instruction && back > waiting, run.out.constData());
    QVERIFY(lines.indexOf(p + "waiting for camera") > waiting);
    // The camera going away was asked for: said once, not as a lost connection.
    QCOMPARE(lines.count(p + "The camera went away (power cycle); waiting for it to come back"), 1);
    QVERIFY2(!run.out.contains("Connection to the camera lost"), run.out.constData());
    // Connected twice: for the run, and after the camera came back.
    QCOMPARE(sim.ConnectionsAccepted(), 2);
    QCOMPARE(sim.ReceivedLines().count("CAM_FIRMWAREUPDATE 0"), 1);
    QCOMPARE(sim.ReceivedLines().last(), QByteArray("CLOSE"));
}

void FlashRebootTest::unchangedVersionFails() {
    SimOptions options = CycledCamera();
    options.newHwVersion = options.hwVersion; // the new image did not load
    SimThread sim(options);
    QVERIFY(sim.Start());
    const FlashRun run = RunFlash({"update", "--confirm-reboot", "--json", Loopback(sim.Port())});
    QVERIFY(run.finished);
    QCOMPARE(run.exitCode, 1);
    const QJsonObject job = SummaryJob(run);
    QCOMPARE(job.value("result").toString(), QStringLiteral("version-unchanged"));
    QCOMPARE(job.value("before").toObject().value("hardware").toString(),
             QStringLiteral("1.2A.3F"));
    QCOMPARE(job.value("after").toObject().value("hardware").toString(), QStringLiteral("1.2A.3F"));
    QVERIFY(job.value("detail").toString().contains("the new firmware was not loaded"));
}

void FlashRebootTest::noVersionAfterThePowerCycleFails() {
    SimOptions options = CycledCamera();
    options.newHwVersion.parts = {"ERR", "ERR", "ERR"}; // its version registers fail
    SimThread sim(options);
    QVERIFY(sim.Start());
    const FlashRun run = RunFlash({"update", "--confirm-reboot", "--json", Loopback(sim.Port())});
    QVERIFY(run.finished);
    QCOMPARE(run.exitCode, 1);
    const QJsonObject job = SummaryJob(run);
    QCOMPARE(job.value("result").toString(), QStringLiteral("version-unread"));
    QCOMPARE(job.value("after").toObject().value("hardware").toString(), "ERR.ERR.ERR");
    QVERIFY2(job.value("detail").toString().startsWith(
                 "The camera is back but gave no hardware firmware version (read as "
                 "\"ERR.ERR.ERR\"): the new firmware is not confirmed."),
             run.out.constData());
    QVERIFY(!run.out.contains("restarted"));
}

void FlashRebootTest::cameraNeverPowerCycledFails() {
    SimOptions options = CycledCamera();
    options.powerCycleAfterMs.reset(); // nobody power-cycles this one
    SimThread sim(options);
    QVERIFY(sim.Start());
    const FlashRun run = RunFlash(
        {"update", "--confirm-reboot", "--reboot-timeout", "2", "--json", Loopback(sim.Port())});
    QVERIFY(run.finished);
    QCOMPARE(run.exitCode, 1);
    const QJsonObject job = SummaryJob(run);
    QCOMPARE(job.value("result").toString(), QStringLiteral("no-power-cycle"));
    QVERIFY(
        job.value("detail").toString().startsWith("The camera was not power-cycled within 2 s"));
    // The camera stayed on one connection, still answering, and was not
    // taken for restarted; the tool said goodbye on it.
    QCOMPARE(sim.ConnectionsAccepted(), 1);
    QCOMPARE(sim.ReceivedLines().last(), QByteArray("CLOSE"));
    QVERIFY(!run.out.contains("restarted"));
}

void FlashRebootTest::watchConfirmsToo() {
    SimOptions options = CycledCamera();
    options.runInProgress = true;
    SimThread sim(options);
    QVERIFY(sim.Start());
    const FlashRun run = RunFlash({"watch", "--confirm-reboot", "--json", Loopback(sim.Port())});
    QVERIFY(run.finished);
    QCOMPARE(run.exitCode, 0);
    const QJsonObject job = SummaryJob(run);
    QCOMPARE(job.value("result").toString(), QStringLiteral("ok"));
    // Connected in the middle of the run, the version before is not known.
    QCOMPARE(job.value("before").toObject().value("hardware").toString(), QString());
    QCOMPARE(job.value("after").toObject().value("hardware").toString(), QStringLiteral("1.2B.05"));
    QVERIFY(job.value("detail").toString().contains("its version before the run is not known"));
}

QTEST_MAIN(FlashRebootTest)
#include "flash_reboot_test.moc"
