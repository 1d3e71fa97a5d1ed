// Ejecting the stick through UDisks2, standing in on a private bus: the
// calls and their order, power-off or eject, the refusals and their words.

#include "stick_ejector.h"
#include "udisks_stand_in.h"

#include <QTest>

using kestrel::EjectOutcome;
using kestrel::StickEjector;
using Result = EjectOutcome::Result;

Q_DECLARE_METATYPE(Result)

namespace {

const QString kOptions = QStringLiteral(" auth.no_user_interaction=false");
const QString kList = QStringLiteral("ObjectManager.GetManagedObjects UDisks2");
const QString kBusy = QStringLiteral("org.freedesktop.UDisks2.Error.DeviceBusy");

} // namespace

class StickEjectorTest : public QObject {
    Q_OBJECT
private slots:
    void initTestCase();
    void eject_data();
    void eject();
    void withoutUdisks();

private:
    kestrel::test::UdisksStandIn m_udisks;
};

void StickEjectorTest::initTestCase() {
    QVERIFY(m_udisks.Start({"/media/op/ONE", "/media/op/TWO", "/media/op/TWO/b", "/media/op/SD"}));
    m_udisks.Offer();
}

void StickEjectorTest::eject_data() {
    QTest::addColumn<QString>("folder");
    QTest::addColumn<QString>("refused"); // call answered with an error, and its name
    QTest::addColumn<Result>("result");
    QTest::addColumn<QStringList>("calls"); // after the listing, options left out
    QTest::addColumn<QString>("message");
    QTest::newRow("stick of one partition: powered off")
        << "/media/op/ONE/fw"
        << "" << Result::Ejected << QStringList{"Filesystem.Unmount sdb1", "Drive.PowerOff stick1"}
        << "The USB stick (/dev/sdb1) is ejected: it can be removed now.";
    QTest::newRow("two partitions: the other one is unmounted first")
        << "/media/op/TWO"
        << "" << Result::Ejected
        << QStringList{"Filesystem.Unmount sdc2", "Filesystem.Unmount sdc1",
                       "Drive.PowerOff stick2"}
        << "The USB stick (/dev/sdc1) is ejected: it can be removed now.";
    QTest::newRow("card reader: the card is ejected")
        << "/media/op/SD"
        << "" << Result::Ejected << QStringList{"Filesystem.Unmount sdd1", "Drive.Eject reader"}
        << "The USB stick (/dev/sdd1) is ejected: it can be removed now.";
    QTest::newRow("fixed disk: refused, nothing called")
        << "/home/op"
        << "" << Result::NotRemovable << QStringList{}
        << "\"/home/op\" is on /dev/nvme0n1p2, a fixed disk, not on a removable drive: it is "
           "never ejected.";
    QTest::newRow("busy: the other partition named, nothing powered off")
        << "/media/op/TWO"
        << "Filesystem.Unmount sdc2|" + kBusy << Result::Busy
        << QStringList{"Filesystem.Unmount sdc2"}
        << "The file system /dev/sdc2 at /media/op/TWO/b is busy: close whatever uses it (a file "
           "manager window, a terminal in that folder) and try again.";
    QTest::newRow("busy while powering off")
        << "/media/op/ONE"
        << "Drive.PowerOff stick1|" + kBusy << Result::Busy
        << QStringList{"Filesystem.Unmount sdb1", "Drive.PowerOff stick1"}
        << "The file system /dev/sdb1 at /media/op/ONE is busy: close whatever uses it (a file "
           "manager window, a terminal in that folder) and try again.";
    QTest::newRow("not authorized (remote session)")
        << "/media/op/ONE"
        << "Filesystem.Unmount sdb1|org.freedesktop.UDisks2.Error.NotAuthorizedCanObtain"
        << Result::NotAuthorized << QStringList{"Filesystem.Unmount sdb1"}
        << "This session is not allowed to eject /dev/sdb1 (a remote session, for example): "
           "eject it from the desktop, or run the tool as a user allowed to.";
    QTest::newRow("other failure: UDisks2's reason given")
        << "/media/op/SD"
        << "Drive.Eject reader|org.freedesktop.UDisks2.Error.Failed" << Result::Failed
        << QStringList{"Filesystem.Unmount sdd1", "Drive.Eject reader"}
        << "Ejecting /dev/sdd1 failed (refused by the stand-in): eject it from the desktop "
           "before removing it.";
}

void StickEjectorTest::eject() {
    QFETCH(QString, folder);
    QFETCH(QString, refused);
    QFETCH(Result, result);
    QFETCH(QStringList, calls);
    QFETCH(QString, message);
    m_udisks.Refuse(refused.section('|', 0, 0), refused.section('|', 1), "refused by the stand-in");
    const bool removable = StickEjector().OnRemovableDrive(folder);
    QCOMPARE(m_udisks.Calls(), QStringList{kList});
    const EjectOutcome outcome = StickEjector().Eject(folder);
    m_udisks.Refuse(refused.section('|', 0, 0), QString(), QString());
    QCOMPARE(outcome.result, result);
    QCOMPARE(outcome.message, message);
    QCOMPARE(removable, result != Result::NotRemovable);
    QStringList expected{kList};
    for (const QString& call : calls)
        expected << call + kOptions;
    QCOMPARE(m_udisks.Calls(), expected);
    // A line of what was done for each call that succeeded.
    QCOMPARE(outcome.done.size(), calls.size() - (outcome.Ejected() || calls.isEmpty() ? 0 : 1));
}

void StickEjectorTest::withoutUdisks() {
    m_udisks.Withdraw();
    QVERIFY(!StickEjector().OnRemovableDrive("/media/op/ONE"));
    const EjectOutcome outcome = StickEjector().Eject("/media/op/ONE");
    m_udisks.Offer();
    QCOMPARE(outcome.result, Result::NoService);
    QCOMPARE(outcome.message, "UDisks2 is not running, so the stick cannot be ejected from here: "
                              "remove it safely by hand, with sync and umount on its mount point "
                              "(or udisksctl unmount and udisksctl power-off), before pulling it "
                              "out.");
    QVERIFY(m_udisks.Calls().isEmpty());
}

QTEST_GUILESS_MAIN(StickEjectorTest)
#include "stick_ejector_test.moc"
