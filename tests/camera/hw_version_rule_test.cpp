// The version rule: update --target-hw-version and plan, the power cycle's
// check, the window's line on connecting again. A version or nothing.

#include "hw_version_rule.h"

#include <QTest>

using namespace kestrel;

class HwVersionRuleTest : public QObject {
    Q_OBJECT
private slots:
    void decides_data();
    void decides();
    void quotedShowsOnlyPrintableText();
};

void HwVersionRuleTest::decides_data() {
    QTest::addColumn<QByteArray>("camera");
    QTest::addColumn<QByteArray>("target");
    QTest::addColumn<bool>("reinstall");
    QTest::addColumn<bool>("program");
    QTest::addColumn<QByteArray>("reason");
    // Parts compared as numbers, either case.
    QTest::newRow("current") << QByteArray("1.2B.05") << QByteArray("1.2B.05") << false << false
                             << QByteArray("current");
    QTest::newRow("current, other spelling") << QByteArray("1.2B.05") << QByteArray("01.2b.5")
                                             << false << false << QByteArray("current");
    QTest::newRow("older") << QByteArray("1.2A.3F") << QByteArray("1.2B.05") << false << true
                           << QByteArray("older");
    QTest::newRow("older in the last part")
        << QByteArray("1.2B.4") << QByteArray("1.2B.05") << false << true << QByteArray("older");
    QTest::newRow("newer") << QByteArray("2.0.0") << QByteArray("1.FF.FF") << false << true
                           << QByteArray("newer");
    QTest::newRow("reinstall") << QByteArray("1.2B.05") << QByteArray("1.2B.05") << true << true
                               << QByteArray("reinstall");
    QTest::newRow("reinstall, older")
        << QByteArray("1.2A.3F") << QByteArray("1.2B.05") << true << true << QByteArray("older");
    QTest::newRow("no target") << QByteArray("1.2B.05") << QByteArray() << false << true
                               << QByteArray("no target");
    // A version that cannot be read cannot be checked against the target:
    // the camera is left alone, reinstall or not.
    for (const char* camera :
         {"ERR.ERR.ERR", "ERR", "", "..", "zz", "zz.zz.zz", "1.2B", "1.2B.05.1", "1.2B.105",
          "1.2G.05", "1..05", "1.2B.05 ", "OCCUPED.OCCUPED.OCCUPED"})
        QTest::addRow("unreadable \"%s\"", camera)
            << QByteArray(camera) << QByteArray("1.2B.05") << true << false << QByteArray("unread");
}

void HwVersionRuleTest::decides() {
    QFETCH(QByteArray, camera);
    QFETCH(QByteArray, target);
    QFETCH(bool, reinstall);
    QFETCH(bool, program);
    QFETCH(QByteArray, reason);
    const VersionDecision decision =
        DecideByVersion(camera.toStdString(), target.toStdString(), reinstall);
    QCOMPARE(decision.program, program);
    QCOMPARE(QByteArray(decision.reason.data(), static_cast<qsizetype>(decision.reason.size())),
             reason);
    QCOMPARE(decision.Unread(), reason == "unread");
    // Same version exactly when left alone or reinstalled; the normal form of
    // a version is the same version, upper-cased.
    const bool same = reason == "current" || reason == "reinstall";
    QCOMPARE(SameHwVersion(camera.toStdString(), target.toStdString()), same);
    // Back from a power cycle with the camera's text, after the target: what
    // is not a version confirms nothing.
    QCOMPARE(CompareHwVersions(target.toStdString(), camera.toStdString()),
             reason == "unread" ? HwVersionChange::Unread
             : target.isEmpty() ? HwVersionChange::Unknown
             : same             ? HwVersionChange::Unchanged
                                : HwVersionChange::Changed);
    const std::string normal = NormalizedHwVersion(camera.toStdString());
    QCOMPARE(normal.empty(), !ReadHwVersion(camera.toStdString()).has_value());
    if (!normal.empty())
        QCOMPARE(QByteArray::fromStdString(normal), camera.toUpper());
}

void HwVersionRuleTest::quotedShowsOnlyPrintableText() {
    QCOMPARE(QByteArray::fromStdString(QuotedHwVersion("\x1b[2J.\"\\.\xe9\x7f")),
             QByteArray("\"\\x1b[2J.\\\"\\\\.\\xe9\\x7f\""));
}

QTEST_APPLESS_MAIN(HwVersionRuleTest)
#include "hw_version_rule_test.moc"
