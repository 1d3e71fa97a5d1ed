// kestrel-flash stage --eject: the stick ejected after a successful copy,
// with UDisks2 standing in on the test's own bus.

#include "flash_process.h"
#include "scratch_files.h"
#include "udisks_stand_in.h"

#include <QDir>
#include <QFileInfo>
#include <QJsonArray>
#include <QTemporaryDir>
#include <QTest>

using namespace kestrel::test;

class FlashEjectTest : public QObject {
    Q_OBJECT
private slots:
    void initTestCase();
    void ejectAfterTheCopy_data();
    void ejectAfterTheCopy();

private:
    QTemporaryDir m_dir;
    QString m_stick;
    UdisksStandIn m_udisks;
};

void FlashEjectTest::initTestCase() {
    m_stick = QDir(m_dir.path()).canonicalPath() + QStringLiteral("/stick");
    QVERIFY(QDir().mkpath(m_stick));
    QVERIFY(WriteFile(m_dir.filePath("a.rbf"), QByteArray(4096, 'h')));
    QVERIFY(WriteFile(m_dir.filePath("vx_server_1"), QByteArray(4096, 's')));
    QVERIFY(m_udisks.Start({m_stick, "/media/op/TWO", "/media/op/TWO/b", "/media/op/SD"}));
    m_udisks.Offer();
}

void FlashEjectTest::ejectAfterTheCopy_data() {
    QTest::addColumn<QString>("hwFile");
    QTest::addColumn<bool>("busy"); // the stick's file system is in use
    QTest::addColumn<int>("exitCode");
    QTest::addColumn<QString>("result");
    QTest::addColumn<QString>("eject");
    QTest::addColumn<QStringList>("calls");
    const QString options = QStringLiteral(" auth.no_user_interaction=false");
    const QString list = QStringLiteral("ObjectManager.GetManagedObjects UDisks2");
    QTest::newRow("copied and ejected") << "a.rbf" << false << 0 << "ok"
                                        << "ejected"
                                        << QStringList{list, "Filesystem.Unmount sdb1" + options,
                                                       "Drive.PowerOff stick1" + options};
    QTest::newRow("busy: the command fails, the copy stays")
        << "a.rbf" << true << 1 << "eject-failed"
        << "busy" << QStringList{list, "Filesystem.Unmount sdb1" + options};
    QTest::newRow("copy failed: nothing ejected") << "gone.rbf" << false << 1 << "copy-failed"
                                                  << "" << QStringList{};
}

void FlashEjectTest::ejectAfterTheCopy() {
    QFETCH(QString, hwFile);
    QFETCH(bool, busy);
    QFETCH(int, exitCode);
    QFETCH(QString, result);
    QFETCH(QString, eject);
    QFETCH(QStringList, calls);
    QVERIFY(QDir(m_stick).removeRecursively() && QDir().mkpath(m_stick));
    m_udisks.Refuse("Filesystem.Unmount sdb1",
                    busy ? "org.freedesktop.UDisks2.Error.DeviceBusy" : QString(),
                    "target is busy");
    const FlashRun run = RunFlash({"stage", "--json", "--eject", "--hw", m_dir.filePath(hwFile),
                                   "--sw", m_dir.filePath("vx_server_1"), m_stick});
    QVERIFY(run.finished);
    QCOMPARE(run.exitCode, exitCode);
    QCOMPARE(m_udisks.Calls(), calls);
    const QJsonObject job = SummaryJob(run);
    QCOMPARE(job.value("result").toString(), result);
    QCOMPARE(job.value("eject").toString(), eject);
    // A failed eject leaves the copy as it was: both files verified in place.
    QCOMPARE(QFileInfo::exists(m_stick + "/firm.rbf"), result != "copy-failed");
    QCOMPARE(job.value("files").toArray().size(), result == "copy-failed" ? 0 : 2);
    if (busy)
        QVERIFY(job.value("detail").toString().endsWith(
            "The file system /dev/sdb1 at " + m_stick +
            " is busy: close whatever uses it (a file manager window, a terminal in that folder) "
            "and try again."));
}

QTEST_GUILESS_MAIN(FlashEjectTest)
#include "flash_eject_test.moc"
