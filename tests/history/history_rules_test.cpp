// The rules that read the history: folding events into operations, the
// filters and their dates, and the power-cycle pending rule. (The export's
// CSV lines are read back by the fuzz checks.)

#include "operation_fold.h"
#include "pending_rule.h"

#include <QTest>

using namespace kestrel;

namespace {

constexpr std::int64_t kDay = 1'796'601'600'000; // 2026-12-07T00:00Z

// "b3 S1 update" or "e3 S1 update ok" (an end of operation 3) at minute id.
HistoryEvent Event(const QString& text, std::int64_t id) {
    const QStringList w = text.split(' ');
    HistoryEvent e;
    e.id = id;
    e.timeMs = kDay + id * 60'000;
    e.phase = std::string(w[0][0] == 'b' ? history::kBegin : history::kEnd);
    e.operation = w[0].mid(1).toStdString();
    e.serial = w.value(1).toStdString();
    e.action = w.value(2).toStdString();
    e.result = w.value(3).toStdString();
    e.hardwareBefore = "1.0";
    e.target = "2.0";
    e.pid = e.operation == "9" ? 9 : 1; // process 9 is gone
    return e;
}

std::vector<Operation> Fold(const QString& events, const OperationFilter& filter = {}) {
    OperationFold fold(filter, [](const HistoryEvent& e) { return e.pid == 9; });
    const QStringList list = events.split(',', Qt::SkipEmptyParts);
    for (qsizetype i = list.size() - 1; i >= 0; --i) { // newest first
        if (!fold.Take(Event(list[i].trimmed(), i + 1)))
            break;
    }
    return fold.Operations();
}

QString Summary(const std::vector<Operation>& ops) {
    QStringList out;
    for (const Operation& op : ops)
        out << QString::fromStdString(op.begin.operation + ":" + op.Result());
    return out.join(' ');
}

} // namespace

class HistoryRulesTest : public QObject {
    Q_OBJECT
private slots:
    void fold_data();
    void fold();
    void dates_data();
    void dates();
    void pending_data();
    void pending();
    void pendingText_data();
    void pendingText();
};

void HistoryRulesTest::fold_data() {
    QTest::addColumn<QString>("events"); // oldest first
    QTest::addColumn<QString>("serial");
    QTest::addColumn<QString>("result");
    QTest::addColumn<int>("last");
    QTest::addColumn<QString>("operations"); // newest first
    const QString events = "b1 S1 update, b2 S2 update, e1 S1 update ok, b9 S1 update, b3 S3 stage,"
                           "e2 S2 update stalled";
    const QString any;
    QTest::newRow("all") << events << any << any << 0 << "3:running 9:interrupted 2:stalled 1:ok";
    QTest::newRow("serial") << events << "S1" << any << 0 << "9:interrupted 1:ok";
    QTest::newRow("result") << events << any << "ok" << 0 << "1:ok";
    QTest::newRow("last two") << events << any << any << 2 << "3:running 9:interrupted";
    QTest::newRow("end without its begin")
        << "e4 S1 update ok, b5 S1 update" << any << any << 0 << "5:running";
}

void HistoryRulesTest::fold() {
    QFETCH(QString, events);
    QFETCH(QString, serial);
    QFETCH(QString, result);
    QFETCH(int, last);
    QFETCH(QString, operations);
    QCOMPARE(Summary(Fold(events, {serial.toStdString(), {}, {}, result.toStdString(), last})),
             operations);
}

void HistoryRulesTest::dates_data() {
    QTest::addColumn<QString>("text");
    QTest::addColumn<bool>("endOfDay");
    QTest::addColumn<qint64>("ms"); // from kDay; -1: refused
    QTest::newRow("day") << "2026-12-07" << false << qint64(0);
    QTest::newRow("day, until") << "2026-12-07" << true << qint64(86'399'999);
    QTest::newRow("minute, UTC") << "2026-12-07T10:02" << true << qint64(36'120'000);
    QTest::newRow("Z") << "2026-12-07T10:02:03Z" << false << qint64(36'123'000);
    QTest::newRow("offset") << "2026-12-07T10:02:03.004+01:30" << false << qint64(30'723'004);
    QTest::newRow("day before, west") << "2026-12-06T23:00-01:00" << false << qint64(0);
    QTest::newRow("leap day") << "2028-02-29" << false << qint64(449 * 86'400'000LL);
    QTest::newRow("no leap day") << "2027-02-29" << false << qint64(-1);
    QTest::newRow("hour 24") << "2026-12-07T24:00" << false << qint64(-1);
    QTest::newRow("trailing") << "2026-12-07T10:02Zx" << false << qint64(-1);
}

void HistoryRulesTest::dates() {
    QFETCH(QString, text);
    QFETCH(bool, endOfDay);
    QFETCH(qint64, ms);
    const auto parsed = ParseFilterDate(text.toStdString(), endOfDay);
    QCOMPARE(parsed ? *parsed - kDay : -1, ms);
    if (parsed) // what the history shows reads back to the same time
        QCOMPARE(ParseFilterDate(FormatUtc(*parsed), false), parsed);
}

void HistoryRulesTest::pending_data() {
    QTest::addColumn<QString>("events");      // of serial S1, oldest first
    QTest::addColumn<bool>("moved");          // the camera no longer reports 1.0
    QTest::addColumn<qint64>("pendingSince"); // the begin id of the run; 0: not pending
    const QString run = "b1 S1 update, e1 S1 update ok,";
    const QString cycle = run + "b2 S1 power-cycle, e2 S1 power-cycle ";
    QTest::newRow("programmed") << run << false << qint64(1);
    QTest::newRow("not power-cycled")
        << "b1 S1 update, e1 S1 update no-power-cycle" << false << qint64(1);
    QTest::newRow("watched to the end") << "b1 S1 watch, e1 S1 watch ok" << false << qint64(1);
    QTest::newRow("camera moved on") << run << true << qint64(0);
    QTest::newRow("power cycle: unchanged") << cycle + "version-unchanged" << false << qint64(0);
    QTest::newRow("power cycle not seen") << cycle + "not-back" << false << qint64(1);
    QTest::newRow("run, unchanged")
        << "b1 S1 update, e1 S1 update version-unchanged" << false << qint64(0);
    QTest::newRow("newer run failed")
        << run + "b2 S1 update, e2 S1 update stalled" << false << qint64(0);
    QTest::newRow("newer run interrupted") << run + "b9 S1 update" << false << qint64(0);
    QTest::newRow("newer run still going") << run + "b3 S1 update" << false << qint64(1);
    QTest::newRow("another camera") << "b1 S2 update, e1 S2 update ok" << false << qint64(0);
}

void HistoryRulesTest::pending() {
    QFETCH(QString, events);
    QFETCH(bool, moved);
    QFETCH(qint64, pendingSince);
    const std::string current = moved ? "2.0" : "1.0";
    const auto found = PowerCyclePending("S1", current, "2.0", Fold(events));
    QCOMPARE(found ? found->beginId : 0, pendingSince);
    // Another target is never pending.
    QVERIFY(!PowerCyclePending("S1", current, "3.0", Fold(events)));
}

void HistoryRulesTest::pendingText_data() {
    QTest::addColumn<QString>("bench");
    QTest::addColumn<qint64>("now");
    QTest::addColumn<QString>("text");
    const QString rest =
        "; power-cycle it to load the new firmware, or use --reinstall to program it again";
    QTest::newRow("here, today") << "bench-a" << qint64(kDay + 80'000'000)
                                 << "programmed at 11:02 on this bench" + rest;
    QTest::newRow("elsewhere") << "bench-b" << qint64(kDay + 40'000'000)
                               << "programmed at 11:02 on bench bench-a" + rest;
    QTest::newRow("past local midnight")
        << "bench-a" << qint64(kDay + 84'000'000)
        << "programmed on 2026-12-07 at 11:02 on this bench" + rest;
}

void HistoryRulesTest::pendingText() {
    QFETCH(QString, bench);
    QFETCH(qint64, now);
    QFETCH(QString, text);
    const PendingRun run{1, kDay + 36'120'000, "bench-a"}; // 10:02 UTC, 11:02 at +01:00
    QCOMPARE(QString::fromStdString(PendingText(run, bench.toStdString(), now, 3600)), text);
}

QTEST_GUILESS_MAIN(HistoryRulesTest)
#include "history_rules_test.moc"
