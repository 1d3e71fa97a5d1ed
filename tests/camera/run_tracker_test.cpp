// The rules of a programming run, fed replies and the times they came at:
// no socket, no sleep.

#include "byte_view.h"
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

TrackerLimits Short() {
    TrackerLimits limits;
    limits.stallLimitMs = 5000;
    limits.settleLimitMs = 3000;
    return limits;
}

// How a run began: the start command sent, the start sent while the camera
// still showed a finished run's figures (never reported idle), or a run in
// progress followed.
enum class Begin { Started, AfterOldFigures, Followed };
const QByteArray kOldFigures = "1 155 155 20000 20000";

// What the driver does with the answers: phases in turn, until an end. The
// end and the number of replies read up to it.
std::pair<RunEnd, int> Drive(RunTracker& tracker, const QByteArrayList& script) {
    int replies = 0;
    tracker.BeginPhase(FlashPhase::Erase);
    for (const QByteArray& entry : script) {
        const Timed t = Parse(entry);
        const RunStep step = tracker.OnReply(View(t.reply), t.ms);
        ++replies;
        if (step.next == RunStep::Next::Ended)
            return {step.end, replies};
        if (step.next == RunStep::Next::PhaseDone)
            tracker.BeginPhase(FlashPhase::Program);
    }
    return {RunEnd::None, replies};
}

} // namespace

Q_DECLARE_METATYPE(Begin)

class RunTrackerTest : public QObject {
    Q_OBJECT
private slots:
    void runs_data();
    void runs();
    void settling_data();
    void settling();
    void reconnectWindow();
};

void RunTrackerTest::runs_data() {
    QTest::addColumn<Begin>("begin");
    QTest::addColumn<QByteArrayList>("script");
    QTest::addColumn<RunEnd>("end");
    QTest::addColumn<int>("replies");
    const auto row = [](const char* name, Begin begin, const QByteArrayList& script, RunEnd end,
                        int replies) { QTest::newRow(name) << begin << script << end << replies; };
    const Begin S = Begin::Started;
    const Begin O = Begin::AfterOldFigures;
    const Begin F = Begin::Followed;
    const RunEnd done = RunEnd::Finished;
    const RunEnd stopped = RunEnd::CameraStopped;
    const RunEnd never = RunEnd::NeverStarted;
    const QByteArray old = "|" + kOldFigures;

    row("whole run", S,
        {"0|1 155 0 0 0", "200|1 155 154 0 0", "400|1 155 155 20000 10000",
         "600|1 155 155 20000 19999"},
        done, 4);
    row("idle in the erase phase", S, {"0|1 155 20 0 0", "200|0 0 0 0"}, stopped, 2);
    row("idle in the middle of programming", S,
        {"0|1 155 154 0 0", "200|1 155 155 20000 9000", "400|0 0 0 0"}, stopped, 3);
    row("idle one step before the end", S,
        {"0|1 155 154 0 0", "200|1 155 155 20000 19998", "400|0 0 0 0"}, done, 3);
    row("idle two steps before the end", S,
        {"0|1 155 154 0 0", "200|1 155 155 20000 19997", "400|0 0 0 0"}, stopped, 3);
    // The camera's last reply of the erase phase already showed the
    // programming done; after the pause between the phases it is idle.
    row("end reported before the switch", S,
        {"0|1 155 100 0 0", "200|1 155 155 3000 2999", "1400|0 0 0 0"}, done, 3);
    // The programming's end shown while the erase had not ended is no end.
    row("programming end without the erase end", S, {"0|1 155 20 3000 3000", "200|0 0 0 0"},
        stopped, 2);
    row("idle right after the start, then the run", S,
        {"0|0 0 0 0", "999|0 0 0 0", "1200|1 155 154 0 0", "1400|1 155 155 20000 19999"}, done, 4);
    // A camera reads the firmware from its stick before it reports anything.
    row("first figures after 7 s", S,
        {"0|0 0 0 0", "6800|0 0 0 0", "7000|1 155 3 0 0", "7200|1 155 154 0 0",
         "7400|1 155 155 20000 19999"},
        done, 5);
    row("first figures after 45 s", S,
        {"0|0 0 0 0", "20000|0 0 0 0", "44800|0 0 0 0", "45000|1 155 154 0 0",
         "45200|1 155 155 20000 19999"},
        done, 5);
    row("none for the whole wait", S,
        {"0|0 0 0 0", "30000|0 0 0 0", "60000|0 0 0 0", "60001|0 0 0 0"}, never, 4);
    row("empty lines are no progress", S, {"0|", "60001|0 0 0 0"}, never, 2);
    row("stalled after the limit, not at it", S,
        {"0|1 155 10 0 0", "5000|1 155 10 0 0", "5001|1 155 10 0 0"}, RunEnd::Stalled, 3);
    row("a change restarts the stall clock", S,
        {"0|1 155 10 0 0", "4000|1 155 11 0 0", "9000|1 155 11 0 0", "9001|1 155 11 0 0"},
        RunEnd::Stalled, 4);
    row("erase total 0 ends the erase phase", S, {"0|1 0 0 0 0", "200|1 0 0 20000 19999"}, done, 2);
    row("program total 1 ends at once", S, {"0|1 155 154 0 0", "200|1 155 155 1 0"}, done, 2);
    row("a zero program total ends nothing", S,
        {"0|1 155 154 0 0", "200|1 155 155 0 19999", "400|1 155 155", "600|0 0 0 0"}, stopped, 4);
    row("a negative program total ends nothing", S,
        {"0|1 155 154 0 0", "200|1 155 155 -5 155", "400|0 0 0 0"}, stopped, 3);
    row("a reply without space keeps the figures", S,
        {"0|1 155 10 0 0", "200|garbage", "400|0 0 0 0"}, stopped, 3);
    // The previous run's final figures never count for this one.
    row("only the old figures", O, {"0" + old, "500" + old, "60001" + old}, never, 3);
    row("old figures, idle, then the old figures again", O,
        {"0" + old, "400|0 0 0 0", "60001" + old}, never, 3);
    row("old figures, then the new run to its end", O,
        {"0" + old, "300|0 0 0 0", "600|1 155 30 0 0", "800|1 155 154 0 0",
         "1000|1 155 155 20000 5000", "1200" + old},
        done, 6);
    row("followed, idle at once: the run seen by the probe stopped", F, {"0|0 0 0 0"}, stopped, 1);
    row("followed to its end", F, {"0|1 155 155 20000 400", "200|1 155 155 20000 19999"}, done, 2);
}

void RunTrackerTest::runs() {
    QFETCH(Begin, begin);
    QFETCH(QByteArrayList, script);
    QFETCH(RunEnd, end);
    QFETCH(int, replies);
    TrackerLimits limits = Short();
    limits.settleLimitMs = 0; // the camera never reported idle before the start
    RunTracker tracker(limits);
    if (begin == Begin::Followed) {
        tracker.Following(0);
    } else {
        if (begin == Begin::AfterOldFigures) {
            QVERIFY(tracker.NeedsSettling(View(kOldFigures), 0));
            QVERIFY(tracker.Settled(View(kOldFigures), 0));
        }
        tracker.Started(0);
    }
    QCOMPARE(Drive(tracker, script), std::make_pair(end, replies));
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
