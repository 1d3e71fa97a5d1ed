// Ejecting the stick through UDisks2 standing in on a private bus: the calls
// in their order, power-off or eject, the refusals and what they say.

#include "stick_ejector.h"
#include "udisks_stand_in.h"

#include <QTest>

using kestrel::StickEjector;
using Result = kestrel::EjectOutcome::Result;
Q_DECLARE_METATYPE(Result)

class StickEjectorTest : public QObject {
    Q_OBJECT
private slots:
    void initTestCase() {
        QVERIFY(m_udisks.Start({"/media/op/ONE", "/media/op/TWO", "/media/op/TWO/b", "/media/SD"}));
        m_udisks.Offer();
    }
    void eject_data();
    void eject();

private:
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
        << "/media/op/ONE/fw"
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
        << "/media/op/ONE"
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
    QFETCH(QString, refused);
    QFETCH(Result, result);
    QFETCH(QString, calls);
    QFETCH(QString, message);
    const QString call = refused.section(' ', 0, 1);
    m_udisks.Refuse(
        call, refused.isEmpty() ? "" : "org.freedesktop.UDisks2.Error." + refused.section(' ', 2));
    m_udisks.Offer(refused != "-");
    const bool offered = StickEjector().OnRemovableDrive(folder);
    const kestrel::EjectOutcome outcome = StickEjector().Eject(folder);
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
    QCOMPARE(outcome.done.size(), outcome.Ejected() || actions == 0 ? actions : actions - 1);
}

QTEST_GUILESS_MAIN(StickEjectorTest)
#include "stick_ejector_test.moc"
