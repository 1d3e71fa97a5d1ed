// The rule that decides what ejecting the stick takes, fed machines
// described as UDisks2 shows them.

#include "eject_rule.h"

#include <QTest>

using namespace kestrel;

Q_DECLARE_METATYPE(EjectPlan::Verdict)
Q_DECLARE_METATYPE(EjectPlan::Finish)

namespace {

BlockInfo Fs(const char* device, const char* drive, std::vector<std::string> mountPoints) {
    return {std::string("/b/") + device, std::string("/dev/") + device, drive, true,
            std::move(mountPoints)};
}

// A fixed system disk, a stick of two partitions, a card in a reader, a stick
// that can only be ejected, and a loop device.
DriveSnapshot Machine() {
    DriveSnapshot m;
    m.drives = {{"/d/ssd", false, false, false, false, ""},
                {"/d/stick", true, false, true, true, "thumb"},
                {"/d/reader", true, true, true, true, "flash_sd"},
                {"/d/old", true, false, true, false, ""}};
    m.blocks = {Fs("nvme0n1p2", "/d/ssd", {"/"}),
                Fs("nvme0n1p3", "/d/ssd", {"/home"}),
                {"/b/sdb", "/dev/sdb", "/d/stick", false, {}},
                Fs("sdb1", "/d/stick", {"/media/op/FW"}),
                Fs("sdb2", "/d/stick", {"/media/op/FW/data", "/mnt/data"}),
                Fs("sdb3", "/d/stick", {}),
                Fs("mmcblk0p1", "/d/reader", {"/media/op/CARD"}),
                Fs("sdc1", "/d/old", {"/media/op/OLD"}),
                Fs("loop0", "/", {"/media/op/IMG"})};
    return m;
}

} // namespace

class EjectRuleTest : public QObject {
    Q_OBJECT
private slots:
    void plan_data();
    void plan();
};

void EjectRuleTest::plan_data() {
    QTest::addColumn<QString>("folder");
    QTest::addColumn<EjectPlan::Verdict>("verdict");
    QTest::addColumn<QString>("device");
    QTest::addColumn<QString>("unmounts"); // devices in order, the folder's marked *
    QTest::addColumn<EjectPlan::Finish>("finish");
    using V = EjectPlan::Verdict;
    using F = EjectPlan::Finish;
    QTest::newRow("stick root: both partitions off, deeper first, powered off")
        << "/media/op/FW" << V::Eject << "/dev/sdb1"
        << "sdb2@/media/op/FW/data sdb1@/media/op/FW*" << F::PowerOff;
    QTest::newRow("below the root") << "/media/op/FW/fw" << V::Eject << "/dev/sdb1"
                                    << "sdb2@/media/op/FW/data sdb1@/media/op/FW*" << F::PowerOff;
    QTest::newRow("the longest mount point holds it")
        << "/media/op/FW/data/x" << V::Eject << "/dev/sdb2"
        << "sdb2@/media/op/FW/data* sdb1@/media/op/FW" << F::PowerOff;
    QTest::newRow("a name that only begins like a mount point")
        << "/media/op/FWX" << V::NotRemovable << "/dev/nvme0n1p2"
        << "" << F::None;
    QTest::newRow("home on the system disk") << "/home/op" << V::NotRemovable << "/dev/nvme0n1p3"
                                             << "" << F::None;
    QTest::newRow("card in a reader: the card is ejected, the reader stays")
        << "/media/op/CARD" << V::Eject << "/dev/mmcblk0p1"
        << "mmcblk0p1@/media/op/CARD*" << F::Eject;
    QTest::newRow("cannot power off: ejected") << "/media/op/OLD/a" << V::Eject << "/dev/sdc1"
                                               << "sdc1@/media/op/OLD*" << F::Eject;
    QTest::newRow("loop device: no drive") << "/media/op/IMG" << V::NotOnDrive << "/dev/loop0"
                                           << "" << F::None;
}

void EjectRuleTest::plan() {
    QFETCH(QString, folder);
    QFETCH(EjectPlan::Verdict, verdict);
    QFETCH(QString, device);
    QFETCH(QString, unmounts);
    QFETCH(EjectPlan::Finish, finish);
    const EjectPlan plan = PlanEject(Machine(), folder.toStdString());
    QCOMPARE(plan.verdict, verdict);
    QCOMPARE(QString::fromStdString(plan.device), device);
    QStringList steps;
    for (const UnmountStep& step : plan.unmounts) {
        QVERIFY(QString::fromStdString(step.device).startsWith("/dev/"));
        steps << QString::fromStdString(step.device).mid(5) + '@' +
                     QString::fromStdString(step.mountPoint) + (step.holdsFolder ? "*" : "");
    }
    QCOMPARE(steps.join(' '), unmounts);
    QCOMPARE(plan.finish, finish);
    // Nothing is unmounted on a drive that is not ejected.
    QVERIFY(verdict == EjectPlan::Verdict::Eject || plan.unmounts.empty());
}

QTEST_APPLESS_MAIN(EjectRuleTest)
#include "eject_rule_test.moc"
