// kestrel-flash stage --eject, with UDisks2 standing in on the test's bus.

#include "flash_process.h"
#include "scratch_files.h"
#include "udisks_stand_in.h"

#include <QDir>
#include <QJsonArray>
#include <QTemporaryDir>
#include <QTest>

using namespace kestrel::test;

class FlashEjectTest : public QObject {
    Q_OBJECT
private slots:
    void ejectAfterTheCopy_data();
    void ejectAfterTheCopy();
};

void FlashEjectTest::ejectAfterTheCopy_data() {
    QTest::addColumn<QString>("hwFile");
    QTest::addColumn<bool>("busy"); // the stick's file system is in use
    QTest::addColumn<QString>("result");
    QTest::addColumn<QString>("eject");
    QTest::addColumn<QStringList>("calls"); // after the listing
    QTest::newRow("copied and ejected")
        << "a.rbf" << false << "ok"
        << "ejected" << QStringList{"Filesystem.Unmount", "Drive.PowerOff"};
    QTest::newRow("busy: eject-failed, the copy stays")
        << "a.rbf" << true << "eject-failed"
        << "busy" << QStringList{"Filesystem.Unmount"};
    QTest::newRow("copy failed: nothing ejected") << "gone.rbf" << false << "copy-failed"
                                                  << "" << QStringList{};
}

void FlashEjectTest::ejectAfterTheCopy() {
    QFETCH(QString, hwFile);
    QFETCH(bool, busy);
    QFETCH(QString, result);
    QFETCH(QString, eject);
    QFETCH(QStringList, calls);
    QTemporaryDir dir;
    const QString stick = QDir(dir.path()).canonicalPath() + "/stick";
    QVERIFY(QDir().mkpath(stick) && WriteFile(dir.filePath("a.rbf"), "h") &&
            WriteFile(dir.filePath("vx_server_1"), "s"));
    UdisksStandIn udisks;
    QVERIFY(udisks.Start({stick}));
    udisks.Offer();
    udisks.Refuse("Filesystem.Unmount sdb1",
                  busy ? "org.freedesktop.UDisks2.Error.DeviceBusy" : "");
    const FlashRun run = RunFlash({"stage", "--json", "--eject", "--hw", dir.filePath(hwFile),
                                   "--sw", dir.filePath("vx_server_1"), stick});
    QVERIFY(run.finished);
    QCOMPARE(run.exitCode, result == "ok" ? 0 : 1);
    QStringList seen;
    for (const QString& call : udisks.Calls())
        seen << call.section(' ', 0, 0);
    QCOMPARE(seen,
             calls.isEmpty() ? calls : QStringList{"ObjectManager.GetManagedObjects"} + calls);
    const QJsonObject job = SummaryJob(run);
    QCOMPARE(job.value("result").toString(), result);
    QCOMPARE(job.value("eject").toString(), eject);
    // A failed eject leaves the copy as it was: both files verified in place.
    QCOMPARE(job.value("files").toArray().size(), result == "copy-failed" ? 0 : 2);
    QCOMPARE(QFileInfo::exists(stick + "/vx_server"), result != "copy-failed");
    QCOMPARE(job.value("detail").toString().endsWith(
                 "The file system /dev/sdb1 at " + stick +
                 " is busy: close whatever uses it (a "
                 "file manager window, a terminal in that folder) and try again."),
             busy);
}

QTEST_GUILESS_MAIN(FlashEjectTest)
#include "flash_eject_test.moc"
