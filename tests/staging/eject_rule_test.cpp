// The rule that decides what ejecting the stick takes, on a machine
// described as UDisks2 shows it; the cases the stand-in's machine leaves out.

#include "eject_rule.h"

#include <QTest>

using namespace kestrel;
Q_DECLARE_METATYPE(EjectPlan::Verdict)
Q_DECLARE_METATYPE(EjectPlan::Finish)

class EjectRuleTest : public QObject {
    Q_OBJECT
private slots:
    void plan_data();
    void plan();
};

void EjectRuleTest::plan_data() {
    QTest::addColumn<QString>("folder");
    QTest::addColumn<EjectPlan::Verdict>("verdict");
    QTest::addColumn<QString>("unmounts"); // mount points in order, the folder's marked *
    QTest::addColumn<EjectPlan::Finish>("finish");
    using V = EjectPlan::Verdict;
    using F = EjectPlan::Finish;
    QTest::newRow("longest mount point; a file system mounted twice goes once")
        << "/media/FW/data/x" << V::Eject << "/media/FW/data* /media/FW" << F::Eject;
    QTest::newRow("a name that only begins like a mount point")
        << "/media/FWX" << V::NotRemovable << "" << F::None;
    QTest::newRow("a loop device: no drive") << "/media/IMG" << V::NotOnDrive << "" << F::None;
    QTest::newRow("an internal card slot: unmounted only")
        << "/media/SLOT/a" << V::Eject << "/media/SLOT*" << F::None;
}

void EjectRuleTest::plan() {
    QFETCH(QString, folder);
    QFETCH(EjectPlan::Verdict, verdict);
    QFETCH(QString, unmounts);
    QFETCH(EjectPlan::Finish, finish);
    DriveSnapshot machine;
    machine.drives = {{"/d/ssd", false, false, false, false, ""},
                      {"/d/old", true, false, true, false, "thumb"},
                      {"/d/slot", true, true, false, false, "flash_sd"}};
    machine.blocks = {{"/b/1", "/dev/a1", "/d/ssd", true, {"/"}},
                      {"/b/2", "/dev/b", "/d/old", false, {}},
                      {"/b/3", "/dev/b1", "/d/old", true, {"/media/FW"}},
                      {"/b/4", "/dev/b2", "/d/old", true, {"/mnt/d", "/media/FW/data"}},
                      {"/b/5", "/dev/b3", "/d/old", true, {}},
                      {"/b/6", "/dev/loop0", "/", true, {"/media/IMG"}},
                      {"/b/7", "/dev/c1", "/d/slot", true, {"/media/SLOT"}}};
    const EjectPlan plan = PlanEject(machine, folder.toStdString());
    QCOMPARE(plan.verdict, verdict);
    QStringList steps;
    for (const UnmountStep& step : plan.unmounts)
        steps << QString::fromStdString(step.mountPoint) + (step.holdsFolder ? "*" : "");
    QCOMPARE(steps.join(' '), unmounts);
    QCOMPARE(plan.finish, finish);
}

QTEST_APPLESS_MAIN(EjectRuleTest)
#include "eject_rule_test.moc"
