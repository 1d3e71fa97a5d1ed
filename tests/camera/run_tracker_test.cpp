// The rules of a programming run, fed replies and the times they came at:
// no socket, no sleep.

#include "run_tracker.h"

#include <QTest>

using namespace kestrel;

Q_DECLARE_METATYPE(RunEnd)

namespace {

// One reply and when it came: "1500|1 155 10 0 0".
struct Timed {
    std::int64_t ms;
    QByteArray reply;
};

Timed Parse(const QByteArray& entry) {
    const qsizetype bar = entry.indexOf('|');
    return {entry.left(bar).toLongLong(), entry.mid(bar + 1)};
}

std::string_view View(const QByteArray& bytes) {
    return {bytes.constData(), static_cast<std::size_t>(bytes.size())};
}

TrackerLimits Short() {
    TrackerLimits limits;
    limits.startGraceMs = 1000;
    limits.stallLimitMs = 5000;
    limits.settleLimitMs = 3000;
    return limits;
}

// What the driver does with the answers: phases in turn, until an end.
struct Outcome {
    RunEnd end = RunEnd::None;
    int replies = 0;      // replies read up to the end
    QList<int> bar;       // the positions the bar was moved to, phase starts as -1
    QStringList statuses; // "E done/total" or "P done/total" per reply shown
};

Outcome Drive(RunTracker& tracker, const QByteArrayList& script) {
    Outcome out;
    tracker.BeginPhase(FlashPhase::Erase);
    out.bar << -1;
    for (const QByteArray& entry : script) {
        const Timed t = Parse(entry);
        const RunStep step = tracker.OnReply(View(t.reply), t.ms);
        ++out.replies;
        if (step.moved)
            out.bar << step.position;
        if (step.next != RunStep::Next::Ended || step.figures)
            out.statuses << QStringLiteral("%1 %2/%3")
                                .arg(step.phase == FlashPhase::Erase ? 'E' : 'P')
                                .arg(step.done)
                                .arg(step.total);
        if (step.next == RunStep::Next::Ended) {
            out.end = step.end;
            return out;
        }
        if (step.next == RunStep::Next::PhaseDone) {
            tracker.BeginPhase(FlashPhase::Program);
            out.bar << -1;
        }
    }
    return out;
}

} // namespace

class RunTrackerTest : public QObject {
    Q_OBJECT
private slots:
    void startedRun_data();
    void startedRun();
    void followedRun_data();
    void followedRun();
    void finishedOnlyWhenBothEndsWereReported();
    void staleFigures_data();
    void staleFigures();
    void settling_data();
    void settling();
    void zeroProgramTotal();
    void reconnectWindow();
};

void RunTrackerTest::startedRun_data() {
    QTest::addColumn<QByteArrayList>("script");
    QTest::addColumn<RunEnd>("end");
    QTest::addColumn<int>("replies");

    QTest::newRow("whole run") << QByteArrayList{"0|1 155 0 0 0", "200|1 155 154 0 0",
                                                 "400|1 155 155 20000 10000",
                                                 "600|1 155 155 20000 19999"}
                               << RunEnd::Finished << 4;
    QTest::newRow("idle in the erase phase")
        << QByteArrayList{"0|1 155 20 0 0", "200|0 0 0 0"} << RunEnd::CameraStopped << 2;
    QTest::newRow("idle in the middle of programming")
        << QByteArrayList{"0|1 155 154 0 0", "200|1 155 155 20000 9000", "400|0 0 0 0"}
        << RunEnd::CameraStopped << 3;
    QTest::newRow("idle one step before the end")
        << QByteArrayList{"0|1 155 154 0 0", "200|1 155 155 20000 19998", "400|0 0 0 0"}
        << RunEnd::Finished << 3;
    QTest::newRow("idle two steps before the end")
        << QByteArrayList{"0|1 155 154 0 0", "200|1 155 155 20000 19997", "400|0 0 0 0"}
        << RunEnd::CameraStopped << 3;
    // The camera's last reply of the erase phase already showed the
    // programming done; after the pause between the phases it is idle.
    QTest::newRow("end reported before the switch")
        << QByteArrayList{"0|1 155 100 0 0", "200|1 155 155 3000 2999", "1400|0 0 0 0"}
        << RunEnd::Finished << 3;
    QTest::newRow("idle right after the start, then the run")
        << QByteArrayList{"0|0 0 0 0", "999|0 0 0 0", "1200|1 155 154 0 0",
                          "1400|1 155 155 20000 19999"}
        << RunEnd::Finished << 4;
    QTest::newRow("never started")
        << QByteArrayList{"0|0 0 0 0", "1000|0 0 0 0", "1001|0 0 0 0"} << RunEnd::NeverStarted << 3;
    QTest::newRow("empty lines are no progress")
        << QByteArrayList{"0|", "1001|0 0 0 0"} << RunEnd::NeverStarted << 2;
    QTest::newRow("stalled after the limit, not at it")
        << QByteArrayList{"0|1 155 10 0 0", "5000|1 155 10 0 0", "5001|1 155 10 0 0"}
        << RunEnd::Stalled << 3;
    QTest::newRow("a change restarts the stall clock")
        << QByteArrayList{"0|1 155 10 0 0", "4000|1 155 11 0 0", "9000|1 155 11 0 0",
                          "9001|1 155 11 0 0"}
        << RunEnd::Stalled << 4;
    QTest::newRow("erase total 0 ends the erase phase")
        << QByteArrayList{"0|1 0 0 0 0", "200|1 0 0 20000 19999"} << RunEnd::Finished << 2;
    QTest::newRow("program total 1 ends at once")
        << QByteArrayList{"0|1 155 154 0 0", "200|1 155 155 1 0"} << RunEnd::Finished << 2;
    QTest::newRow("a negative program total ends nothing")
        << QByteArrayList{"0|1 155 154 0 0", "200|1 155 155 -5 155", "400|0 0 0 0"}
        << RunEnd::CameraStopped << 3;
    QTest::newRow("a reply without space keeps the figures")
        << QByteArrayList{"0|1 155 10 0 0", "200|garbage", "400|0 0 0 0"} << RunEnd::CameraStopped
        << 3;
}

void RunTrackerTest::startedRun() {
    QFETCH(QByteArrayList, script);
    QFETCH(RunEnd, end);
    QFETCH(int, replies);
    RunTracker tracker(Short());
    tracker.Started(0);
    const Outcome out = Drive(tracker, script);
    QCOMPARE(out.end, end);
    QCOMPARE(out.replies, replies);
    // Within each phase the bar only rises, and stays within 0 to 100.
    int last = -1;
    for (int position : out.bar) {
        if (position == -1) {
            last = 0;
            continue;
        }
        QVERIFY(position > last && position <= 100);
        last = position;
    }
}

void RunTrackerTest::followedRun_data() {
    QTest::addColumn<QByteArrayList>("script");
    QTest::addColumn<RunEnd>("end");
    QTest::newRow("idle at once: the run seen by the probe stopped")
        << QByteArrayList{"0|0 0 0 0"} << RunEnd::CameraStopped;
    QTest::newRow("followed to its end")
        << QByteArrayList{"0|1 155 155 20000 400", "200|1 155 155 20000 19999"} << RunEnd::Finished;
}

void RunTrackerTest::followedRun() {
    QFETCH(QByteArrayList, script);
    QFETCH(RunEnd, end);
    RunTracker tracker(Short());
    tracker.Following(0);
    QCOMPARE(Drive(tracker, script).end, end);
}

void RunTrackerTest::finishedOnlyWhenBothEndsWereReported() {
    // The programming's end shown while the erase phase had not ended is no
    // finished run.
    RunTracker tracker(Short());
    tracker.Started(0);
    const Outcome out = Drive(tracker, {"0|1 155 20 3000 3000", "200|0 0 0 0"});
    QCOMPARE(out.end, RunEnd::CameraStopped);
    QCOMPARE(out.statuses, QStringList{"E 20/155"});
}

void RunTrackerTest::staleFigures_data() {
    QTest::addColumn<QByteArrayList>("script");
    QTest::addColumn<RunEnd>("end");
    QTest::addColumn<int>("replies");
    const QByteArray last = "1 155 155 20000 20000";
    // The previous run's final figures never count for this one.
    QTest::newRow("only the old figures")
        << QByteArrayList{"0|" + last, "500|" + last, "1001|" + last} << RunEnd::NeverStarted << 3;
    QTest::newRow("old figures, idle, then the old figures again")
        << QByteArrayList{"0|" + last, "400|0 0 0 0", "1001|" + last} << RunEnd::NeverStarted << 3;
    QTest::newRow("old figures, then the new run to its end")
        << QByteArrayList{"0|" + last,
                          "300|0 0 0 0",
                          "600|1 155 30 0 0",
                          "800|1 155 154 0 0",
                          "1000|1 155 155 20000 5000",
                          "1200|" + last}
        << RunEnd::Finished << 6;
}

void RunTrackerTest::staleFigures() {
    QFETCH(QByteArrayList, script);
    QFETCH(RunEnd, end);
    QFETCH(int, replies);
    TrackerLimits limits = Short();
    limits.settleLimitMs = 0; // the camera never reported idle before the start
    RunTracker tracker(limits);
    QVERIFY(tracker.NeedsSettling("1 155 155 20000 20000", 0));
    QVERIFY(tracker.Settled("1 155 155 20000 20000", 0));
    tracker.Started(0);
    const Outcome out = Drive(tracker, script);
    QCOMPARE(out.end, end);
    QCOMPARE(out.replies, replies);
}

void RunTrackerTest::settling_data() {
    QTest::addColumn<QByteArray>("probe");
    QTest::addColumn<bool>("needed");
    QTest::addColumn<QByteArrayList>("polls");
    QTest::addColumn<int>("settledAt"); // the poll that lets the start go, -1: none
    QTest::newRow("idle camera") << QByteArray("0 0 0 0") << false << QByteArrayList{} << -1;
    QTest::newRow("no answer") << QByteArray() << false << QByteArrayList{} << -1;
    QTest::newRow("no figures") << QByteArray("OK") << false << QByteArrayList{} << -1;
    QTest::newRow("final figures, then idle")
        << QByteArray("1 155 155 20000 20000") << true
        << QByteArrayList{"500|1 155 155 20000 20000", "1000|0 0 0 0"} << 1;
    QTest::newRow("final figures for good: the wait is bounded")
        << QByteArray("1 155 155 20000 19998") << true
        << QByteArrayList{"2999|1 155 155 20000 19998", "3000|1 155 155 20000 19998"} << 1;
}

void RunTrackerTest::settling() {
    QFETCH(QByteArray, probe);
    QFETCH(bool, needed);
    QFETCH(QByteArrayList, polls);
    QFETCH(int, settledAt);
    RunTracker tracker(Short());
    QCOMPARE(tracker.NeedsSettling(View(probe), 0), needed);
    int settled = -1;
    for (int i = 0; i < polls.size() && settled < 0; ++i) {
        const Timed t = Parse(polls.at(i));
        if (tracker.Settled(View(t.reply), t.ms))
            settled = i;
    }
    QCOMPARE(settled, settledAt);
}

void RunTrackerTest::zeroProgramTotal() {
    // A program total of 0 shows the assumed total, leaves the bar at 0 and
    // ends nothing, whatever the done count.
    RunTracker tracker(Short());
    tracker.Started(0);
    const Outcome out = Drive(tracker, {"0|1 155 154 0 0", "200|1 155 155 0 500",
                                        "400|1 155 155 0 19999", "600|1 155 155 20000 19999"});
    QCOMPARE(out.end, RunEnd::Finished);
    QCOMPARE(out.bar, (QList<int>{-1, 100, -1, 100}));
    QCOMPARE(out.statuses,
             (QStringList{"E 154/155", "P 500/20000", "P 19999/20000", "P 19999/20000"}));
}

void RunTrackerTest::reconnectWindow() {
    TrackerLimits limits = Short();
    limits.reconnectWindowMs = 1000;
    RunTracker tracker(limits);
    tracker.Started(0);
    QVERIFY(tracker.KeepTrying(100));
    QVERIFY(tracker.KeepTrying(1100));
    QVERIFY(!tracker.KeepTrying(1101));
    // Back again: a later loss has a window of its own.
    tracker.Reconnected(1200);
    QVERIFY(tracker.KeepTrying(5000));
    QVERIFY(tracker.KeepTrying(6000));
    QVERIFY(!tracker.KeepTrying(6001));
}

QTEST_GUILESS_MAIN(RunTrackerTest)
#include "run_tracker_test.moc"
