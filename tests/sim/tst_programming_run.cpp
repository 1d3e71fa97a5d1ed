// The figures of a programming run at given moments: erase, programming,
// linger, and the stall, abort and start-delay faults.

#include "programming_run.h"

#include <QTest>

using kestrel::sim::RunPhase;
using kestrel::sim::RunPlan;
using kestrel::sim::RunState;
using kestrel::sim::RunStateAt;
using kestrel::sim::StatusReply;

Q_DECLARE_METATYPE(RunPhase)

namespace {

// The default plan: 155 sectors in 20 s, 20000 pages in 25 s, 3 s linger.
RunPlan Plan(int startDelayMs = 0, std::optional<int> stall = std::nullopt,
             std::optional<int> abort = std::nullopt) {
    RunPlan plan;
    plan.startDelayMs = startDelayMs;
    plan.stallAtPercent = stall;
    plan.abortAtPercent = abort;
    return plan;
}

} // namespace

class TestProgrammingRun : public QObject {
    Q_OBJECT

private slots:
    void stateAt_data();
    void stateAt();
    void zeroLengthPhases();
    void planFromOptions();
};

void TestProgrammingRun::stateAt_data() {
    QTest::addColumn<int>("delayMs");
    QTest::addColumn<int>("stall"); // -1: none
    QTest::addColumn<int>("abort"); // -1: none
    QTest::addColumn<qint64>("elapsedMs");
    QTest::addColumn<RunPhase>("phase");
    QTest::addColumn<QByteArray>("reply");
    QTest::addColumn<qint64>("nextChangeMs");

    const auto row = [](const char* name, int delay, int stall, int abort, qint64 elapsed,
                        RunPhase phase, const char* reply, qint64 next) {
        QTest::newRow(name) << delay << stall << abort << elapsed << phase << QByteArray(reply)
                            << next;
    };
    row("erase begins", 0, -1, -1, 0, RunPhase::Erasing, "1 155 0 0 0", 20000);
    row("erase half", 0, -1, -1, 10000, RunPhase::Erasing, "1 155 77 0 0", 20000);
    row("erase last ms", 0, -1, -1, 19999, RunPhase::Erasing, "1 155 154 0 0", 20000);
    row("program begins", 0, -1, -1, 20000, RunPhase::Programming, "1 155 155 20000 0", 45000);
    row("program half", 0, -1, -1, 32500, RunPhase::Programming, "1 155 155 20000 10000", 45000);
    row("program last ms", 0, -1, -1, 44999, RunPhase::Programming, "1 155 155 20000 19999", 45000);
    row("linger begins", 0, -1, -1, 45000, RunPhase::Lingering, "1 155 155 20000 20000", 48000);
    row("linger last ms", 0, -1, -1, 47999, RunPhase::Lingering, "1 155 155 20000 20000", 48000);
    row("finished", 0, -1, -1, 48000, RunPhase::Finished, "0 0 0 0", -1);
    row("delay begins", 300, -1, -1, 0, RunPhase::Starting, "0 0 0 0", 300);
    row("delay last ms", 300, -1, -1, 299, RunPhase::Starting, "0 0 0 0", 300);
    row("delay over", 300, -1, -1, 300, RunPhase::Erasing, "1 155 0 0 0", 20300);
    row("delay shifts end", 300, -1, -1, 48299, RunPhase::Lingering, "1 155 155 20000 20000",
        48300);
    row("before stall", 0, 50, -1, 32499, RunPhase::Programming, "1 155 155 20000 9999", 32500);
    row("stall", 0, 50, -1, 32500, RunPhase::Stalled, "1 155 155 20000 10000", -1);
    row("stall for ever", 0, 50, -1, 1000000000, RunPhase::Stalled, "1 155 155 20000 10000", -1);
    row("stall at 0", 0, 0, -1, 20000, RunPhase::Stalled, "1 155 155 20000 0", -1);
    row("stall at 100", 0, 100, -1, 46000, RunPhase::Stalled, "1 155 155 20000 20000", -1);
    row("before abort", 0, -1, 50, 32499, RunPhase::Programming, "1 155 155 20000 9999", 32500);
    row("abort", 0, -1, 50, 32500, RunPhase::Aborted, "0 0 0 0", -1);
    row("abort at 0", 0, -1, 0, 20000, RunPhase::Aborted, "0 0 0 0", -1);
    row("abort at 100", 0, -1, 100, 45000, RunPhase::Aborted, "0 0 0 0", -1);
    row("stall below abort", 0, 30, 50, 40000, RunPhase::Stalled, "1 155 155 20000 6000", -1);
    row("abort at stall", 0, 50, 50, 32500, RunPhase::Aborted, "0 0 0 0", -1);
    row("abort below stall", 0, 60, 40, 30000, RunPhase::Aborted, "0 0 0 0", -1);
}

void TestProgrammingRun::stateAt() {
    QFETCH(int, delayMs);
    QFETCH(int, stall);
    QFETCH(int, abort);
    QFETCH(qint64, elapsedMs);
    QFETCH(RunPhase, phase);
    QFETCH(QByteArray, reply);
    QFETCH(qint64, nextChangeMs);
    const RunPlan plan = Plan(delayMs, stall < 0 ? std::nullopt : std::optional<int>(stall),
                              abort < 0 ? std::nullopt : std::optional<int>(abort));
    const RunState state = RunStateAt(plan, elapsedMs);
    QCOMPARE(state.phase, phase);
    QCOMPARE(StatusReply(plan, state), reply);
    QCOMPARE(state.nextChangeMs, nextChangeMs);
    QVERIFY(!kestrel::sim::DescribePhase(plan, state).isEmpty());
}

void TestProgrammingRun::zeroLengthPhases() {
    RunPlan plan;
    plan.eraseMs = 0;
    plan.programMs = 0;
    plan.lingerMs = 0;
    QCOMPARE(RunStateAt(plan, 0).phase, RunPhase::Finished);
    plan.lingerMs = 10;
    const RunState lingering = RunStateAt(plan, 0);
    QCOMPARE(lingering.phase, RunPhase::Lingering);
    QCOMPARE(StatusReply(plan, lingering), QByteArray("1 155 155 20000 20000"));
    plan.eraseTotal = 0;
    plan.programTotal = 0;
    QCOMPARE(StatusReply(plan, RunStateAt(plan, 5)), QByteArray("1 0 0 0 0"));
}

void TestProgrammingRun::planFromOptions() {
    kestrel::sim::SimOptions options;
    options.eraseTotal = 3;
    options.UseFastTiming();
    options.startDelayMs = 7;
    options.stallAtPercent = 20;
    const RunPlan plan = RunPlan::From(options);
    QCOMPARE(plan.eraseTotal, 3);
    QCOMPARE(plan.eraseMs, 400);
    QCOMPARE(plan.programMs, 600);
    QCOMPARE(plan.lingerMs, 500);
    QCOMPARE(plan.startDelayMs, 7);
    QCOMPARE(plan.stallAtPercent, std::optional<int>(20));
    QCOMPARE(plan.abortAtPercent, std::optional<int>());
}

QTEST_MAIN(TestProgrammingRun)
#include "tst_programming_run.moc"
