// The rules of the wait for the power cycle, fed what the tool sees and when:
// no socket, no sleep. The wait begins at 100 ms and may last 1000 ms; the
// camera is looked at every 300 ms.

#include "byte_view.h"
#include "power_cycle_rule.h"

#include <QTest>

using namespace kestrel;

Q_DECLARE_METATYPE(PowerCycleEnd)

namespace {
constexpr std::int64_t kBegin = 100;
constexpr int kTimeoutMs = 1000;
constexpr int kPollMs = 300;
} // namespace

class PowerCycleRuleTest : public QObject {
    Q_OBJECT
private slots:
    void stillThere_data();
    void stillThere();
    void reached_data();
    void reached();
};

void PowerCycleRuleTest::stillThere_data() {
    QTest::addColumn<qint64>("now");
    QTest::addColumn<PowerCycleEnd>("end");
    QTest::addColumn<int>("waitMs");
    QTest::newRow("at the start") << qint64(100) << PowerCycleEnd::None << kPollMs;
    QTest::newRow("less than a poll left") << qint64(950) << PowerCycleEnd::None << 150;
    QTest::newRow("last millisecond") << qint64(1099) << PowerCycleEnd::None << 1;
    QTest::newRow("time is up") << qint64(1100) << PowerCycleEnd::NotPowerCycled << 0;
    QTest::newRow("long after") << qint64(99999) << PowerCycleEnd::NotPowerCycled << 0;
}

void PowerCycleRuleTest::stillThere() {
    QFETCH(qint64, now);
    QFETCH(PowerCycleEnd, end);
    QFETCH(int, waitMs);
    const PowerCycleRule rule("1.2A.3F", kBegin, kTimeoutMs, kPollMs);
    const PowerCycleStep step = rule.StillThere(now);
    QCOMPARE(step.end, end);
    QCOMPARE(step.waitMs, waitMs);
    // Trying to reach a camera that went away stops at the same moment.
    QCOMPARE(rule.KeepTrying(now), end == PowerCycleEnd::None);
}

void PowerCycleRuleTest::reached_data() {
    QTest::addColumn<QByteArray>("before");
    QTest::addColumn<bool>("identified");
    QTest::addColumn<QByteArray>("after");
    QTest::addColumn<qint64>("now");
    QTest::addColumn<PowerCycleEnd>("end");
    QTest::addColumn<int>("waitMs");
    QTest::newRow("new version") << QByteArray("1.2A.3F") << true << QByteArray("1.2B.05")
                                 << qint64(500) << PowerCycleEnd::VersionChanged << 0;
    QTest::newRow("same version") << QByteArray("1.2A.3F") << true << QByteArray("1.2A.3F")
                                  << qint64(500) << PowerCycleEnd::VersionUnchanged << 0;
    QTest::newRow("same version, other spelling")
        << QByteArray("1.2A.3F") << true << QByteArray("01.2a.3F") << qint64(500)
        << PowerCycleEnd::VersionUnchanged << 0;
    QTest::newRow("version before not known") << QByteArray() << true << QByteArray("1.2B.05")
                                              << qint64(500) << PowerCycleEnd::VersionUnknown
                                              << 0;
    QTest::newRow("version before not read")
        << QByteArray("ERR.ERR.ERR") << true << QByteArray("1.2B.05") << qint64(500)
        << PowerCycleEnd::VersionUnknown << 0;
    // Back with what is not a version: nothing is confirmed.
    for (const char* after :
         {"ERR", "ERR.ERR.ERR", "", "..", "zz", "1.2B", "1.2B.05.1", "1.2A.3F "})
        QTest::addRow("back with \"%s\"", after)
            << QByteArray("1.2A.3F") << true << QByteArray(after) << qint64(500)
            << PowerCycleEnd::VersionUnread << 0;
    QTest::newRow("identified at the last moment")
        << QByteArray("1.2A.3F") << true << QByteArray("1.2A.3F") << qint64(1099)
        << PowerCycleEnd::VersionUnchanged << 0;
    QTest::newRow("not telling yet") << QByteArray("1.2A.3F") << false << QByteArray()
                                     << qint64(500) << PowerCycleEnd::None << kPollMs;
    QTest::newRow("not telling, little time left")
        << QByteArray("1.2A.3F") << false << QByteArray() << qint64(1000) << PowerCycleEnd::None
        << 100;
    QTest::newRow("not telling, time up") << QByteArray("1.2A.3F") << false << QByteArray()
                                          << qint64(1200) << PowerCycleEnd::None << 0;
}

void PowerCycleRuleTest::reached() {
    QFETCH(QByteArray, before);
    QFETCH(bool, identified);
    QFETCH(QByteArray, after);
    QFETCH(qint64, now);
    QFETCH(PowerCycleEnd, end);
    QFETCH(int, waitMs);
    const PowerCycleRule rule(View(before), kBegin, kTimeoutMs, kPollMs);
    const PowerCycleStep step = rule.Reached(identified, View(after), now);
    QCOMPARE(step.end, end);
    QCOMPARE(step.waitMs, waitMs);
    if (identified)
        QCOMPARE(rule.Verdict(View(after)), end);
}

QTEST_GUILESS_MAIN(PowerCycleRuleTest)
#include "power_cycle_rule_test.moc"
