// Ejecting the stick through UDisks2 standing in on a private bus: the calls
// in their order, power-off or eject, the refusals and what they say; and
// the window's offer to eject after a successful copy, and only then.

#include "firmware_staging.h"
#include "recording_surface.h"
#include "scratch_files.h"
#include "stick_ejector.h"
#include "tool_session.h"
#include "udisks_stand_in.h"

#include <QDir>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>

using kestrel::StickEjector;
using Result = kestrel::EjectOutcome::Result;
Q_DECLARE_METATYPE(Result)

class StickEjectorTest : public QObject {
    Q_OBJECT
private slots:
    void initTestCase() {
        QVERIFY(kestrel::test::WriteFile(m_dir.filePath("a.rbf"), "h") &&
                kestrel::test::WriteFile(m_dir.filePath("vx_server_1"), "s"));
        QVERIFY(m_udisks.Start(
            {m_stick, "/media/op/TWO", "/media/op/TWO/b", "/media/SD", "/media/SLOT"}));
        m_udisks.Offer();
    }
    void eject_data();
    void eject();
    void offeredAfterTheCopy_data();
    void offeredAfterTheCopy();

private:
    QTemporaryDir m_dir;
    const QString m_stick = QDir(m_dir.path()).canonicalPath() + "/stick"; // sdb1's
    kestrel::test::UdisksStandIn m_udisks;
};

void StickEjectorTest::eject_data() {
    QTest::addColumn<QString>("folder");
    QTest::addColumn<QString>("refused"); // this call, with this error of UDisks2
    QTest::addColumn<Result>("result");
    QTest::addColumn<QString>("calls"); // after the listing, without the options
    QTest::addColumn<QString>("message");
    const QString gone = "UDisks2 is not running, so the stick cannot be ejected from here: remove "
                         "it safely by hand, with sync and umount on its mount point (or udisksctl "
                         "unmount and udisksctl power-off), before pulling it out.";
    QTest::newRow("one partition: powered off")
        << "@/fw"
        << "" << Result::Ejected << "Filesystem.Unmount sdb1|Drive.PowerOff stick1"
        << "The USB stick (/dev/sdb1) is ejected: it can be removed now.";
    QTest::newRow("two partitions: the deeper one first")
        << "/media/op/TWO"
        << "" << Result::Ejected
        << "Filesystem.Unmount sdc2|Filesystem.Unmount sdc1|Drive.PowerOff stick2"
        << "";
    QTest::newRow("card reader: the card ejected")
        << "/media/SD"
        << "" << Result::Ejected << "Filesystem.Unmount sdd1|Drive.Eject reader"
        << "";
    QTest::newRow("card slot: unmounted, not ejected")
        << "/media/SLOT"
        << "" << Result::Unmounted << "Filesystem.Unmount mmcblk0p1"
        << "The file systems of /dev/mmcblk0p1 are unmounted: the card can be removed now. Its "
           "drive was not ejected: it can neither be powered off nor eject the card.";
    QTest::newRow("fixed disk: refused")
        << "/home/op"
        << "" << Result::NotRemovable << ""
        << "\"/home/op\" is on /dev/nvme0n1p2, a fixed disk, not on a removable drive: it is "
           "never ejected.";
    QTest::newRow("busy: nothing after it")
        << "/media/op/TWO"
        << "Filesystem.Unmount sdc2 DeviceBusy" << Result::Busy << "Filesystem.Unmount sdc2"
        << "The file system /dev/sdc2 at /media/op/TWO/b is busy: close whatever uses it (a file "
           "manager window, a terminal in that folder) and try again.";
    QTest::newRow("not authorized")
        << "@"
        << "Drive.PowerOff stick1 NotAuthorizedCanObtain" << Result::NotAuthorized
        << "Filesystem.Unmount sdb1|Drive.PowerOff stick1"
        << "This session is not allowed to eject /dev/sdb1 (a remote session, for example): "
           "eject it from the desktop, or run the tool as a user allowed to.";
    QTest::newRow("other failure") << "/media/SD"
                                   << "Drive.Eject reader Failed" << Result::Failed
                                   << "Filesystem.Unmount sdd1|Drive.Eject reader"
                                   << "";
    QTest::newRow("no UDisks2") << "/media/op/ONE"
                                << "-" << Result::NoService << "" << gone;
}

void StickEjectorTest::eject() {
    QFETCH(QString, folder);
    folder.replace('@', m_stick);
    QFETCH(QString, refused);
    QFETCH(Result, result);
    QFETCH(QString, calls);
    QFETCH(QString, message);
    const QString call = refused.section(' ', 0, 1);
    m_udisks.Refuse(
        call, refused.isEmpty() ? "" : "org.freedesktop.UDisks2.Error." + refused.section(' ', 2));
    m_udisks.Offer(refused != "-");
    StickEjector ejector;
    QSignalSpy checked(&ejector, &StickEjector::removableChecked);
    ejector.CheckRemovable(folder);
    QVERIFY(checked.wait());
    const bool offered = checked.first().first().toBool();
    kestrel::EjectOutcome outcome;
    connect(&ejector, &StickEjector::ejected, this,
            [&](const kestrel::EjectOutcome& ended) { outcome = ended; });
    QSignalSpy ejected(&ejector, &StickEjector::ejected);
    ejector.Eject(folder);
    QVERIFY(ejected.wait());
    QCOMPARE(checked.size(), 1);
    m_udisks.Refuse(call, "");
    m_udisks.Offer();
    QCOMPARE(outcome.result, result);
    QCOMPARE(offered, result != Result::NotRemovable && result != Result::NoService);
    if (!message.isEmpty())
        QCOMPARE(outcome.message, message);
    QStringList expected{"ObjectManager.GetManagedObjects UDisks2"};
    for (const QString& one : calls.split('|', Qt::SkipEmptyParts))
        expected << one + " auth.no_user_interaction=false";
    const QStringList seen = m_udisks.Calls(); // the first listing made the offer
    QCOMPARE(seen.mid(1), result == Result::NoService ? QStringList{} : expected);
    // One line of what was done for each call that succeeded.
    const qsizetype actions = expected.size() - 1;
    QCOMPARE(outcome.done.size(), outcome.Removable() || actions == 0 ? actions : actions - 1);
}

void StickEjectorTest::offeredAfterTheCopy_data() {
    QTest::addColumn<QString>("hwFile");
    QTest::addColumn<bool>("answer"); // Eject, or Keep it
    QTest::newRow("copied, Eject") << "a.rbf" << true;
    QTest::newRow("copied, Keep it") << "a.rbf" << false;
    QTest::newRow("copy failed: nothing offered") << "gone.rbf" << true;
}

void StickEjectorTest::offeredAfterTheCopy() {
    QFETCH(QString, hwFile);
    QFETCH(bool, answer);
    QVERIFY(QDir(m_stick).removeRecursively() && QDir().mkpath(m_stick));
    m_udisks.Calls(); // what earlier rows left
    kestrel::test::RecordingSurface surface;
    kestrel::ToolSession session(surface, surface);
    surface.fileAnswers = {m_dir.filePath(hwFile), m_dir.filePath("vx_server_1")};
    surface.folderAnswers = {m_stick};
    session.ChooseHwFile();
    session.ChooseSwFile();
    session.ChooseStickFolder();
    surface.messageBoxes.clear();
    surface.questionAnswers = {answer};
    QSignalSpy ended(&session.Staging(), &kestrel::FirmwareStaging::workEnded);
    session.CopyToStick();
    QVERIFY(ended.wait());

    const bool copied = QFileInfo::exists(m_stick + "/firm.rbf");
    QCOMPARE(copied, hwFile == "a.rbf");
    QCOMPARE(surface.questions,
             copied ? QStringList{"New files Copied successfully.\n\nEject the USB stick now, so "
                                  "that it can be removed safely? [Eject|Keep it]"}
                    : QStringList{});
    const QString list = "ObjectManager.GetManagedObjects UDisks2";
    const bool ejected = copied && answer;
    QStringList calls;
    if (copied)
        calls << list;
    if (ejected)
        calls << list << "Filesystem.Unmount sdb1 auth.no_user_interaction=false"
              << "Drive.PowerOff stick1 auth.no_user_interaction=false";
    QCOMPARE(m_udisks.Calls(), calls);
    const QString removable = "The USB stick (/dev/sdb1) is ejected: it can be removed now.";
    QCOMPARE(surface.messageBoxes.contains(removable), ejected);
    // The log keeps the copy's report, the outcome after it.
    QVERIFY(session.Log().Text().startsWith("Copying new files to"));
    QCOMPARE(session.Log().Text().endsWith("\r\nEjecting the USB stick ...\r\n\t=> unmounted "
                                           "/dev/sdb1 from " +
                                           m_stick +
                                           "\r\n\t=> powered off the drive of /dev/sdb1\r\n\r\n" +
                                           removable + "\r\n"),
             ejected);
    QCOMPARE(surface.paneText.value(kestrel::Pane::Log), session.Log().Text());
}

QTEST_GUILESS_MAIN(StickEjectorTest)
#include "stick_ejector_test.moc"
