// Programming runs of the simulated camera, watched over a connection the way
// the tool watches them: by polling "CAM_FIRMWAREUPDATE 1".

#include "line_client.h"
#include "sim_options.h"
#include "sim_thread.h"

#include <QElapsedTimer>
#include <QRegularExpression>
#include <QTest>

#include <functional>
#include <optional>

using kestrel::sim::SimOptions;
using kestrel::sim::test::LineClient;
using kestrel::sim::test::SimRig;

namespace {

constexpr int kRunWaitMs = 10000;

struct Figures {
    int eraseTotal = 0;
    int eraseDone = 0;
    int programTotal = 0;
    int programDone = 0;
};

// The figures of a status reply during a run; nullopt for anything that is
// not exactly five numbers led by 1.
std::optional<Figures> ReadFigures(const QByteArray& reply) {
    static const QRegularExpression pattern(
        QStringLiteral("^1 ([0-9]+) ([0-9]+) ([0-9]+) ([0-9]+)$"));
    const QRegularExpressionMatch match = pattern.match(QString::fromLatin1(reply));
    if (!match.hasMatch()) {
        return std::nullopt;
    }
    return Figures{match.captured(1).toInt(), match.captured(2).toInt(), match.captured(3).toInt(),
                   match.captured(4).toInt()};
}

SimOptions FastOptions() {
    SimOptions options;
    options.UseFastTiming();
    return options;
}

QByteArray HwVersion(LineClient& client) {
    return client.Ask("REG_READ 6E80") + '.' + client.Ask("REG_READ 6F80") + '.' +
           client.Ask("REG_READ 1F80");
}

// Polls the status about every 10 ms until until(reply) holds; every reply on
// the way is kept in seen.
bool PollUntil(LineClient& client, QList<QByteArray>& seen,
               const std::function<bool(const QByteArray&)>& until, int timeoutMs = kRunWaitMs) {
    return QTest::qWaitFor(
        [&] {
            seen.append(client.Ask("CAM_FIRMWAREUPDATE 1"));
            return until(seen.last());
        },
        timeoutMs);
}

} // namespace

class TestSimRun : public QObject {
    Q_OBJECT

private slots:
    void wholeFastRun();
    void secondStartDoesNotRestart();
    void runInProgressAtStart();
    void startDelay();
    void stallStaysForEver();
    void abortLeavesVersion();
};

void TestSimRun::wholeFastRun() {
    SimRig rig{FastOptions()};
    QVERIFY(rig.started);
    rig.client.ReadLine();
    QCOMPARE(rig.client.Ask("CAM_FIRMWAREUPDATE 1"), QByteArray("0 0 0 0"));
    QCOMPARE(HwVersion(rig.client), QByteArray("1.2a.3f"));
    QCOMPARE(rig.client.Ask("CAM_FIRMWAREUPDATE 0"), QByteArray("OK"));

    QList<QByteArray> seen;
    QVERIFY(PollUntil(rig.client, seen, [](const QByteArray& r) { return r == "0 0 0 0"; }));
    seen.removeLast();
    QVERIFY(!seen.isEmpty());

    Figures last;
    bool sawErasing = false;
    bool sawProgramming = false;
    bool sawFinal = false;
    for (const QByteArray& reply : seen) {
        const std::optional<Figures> figures = ReadFigures(reply);
        QVERIFY2(figures, reply.constData());
        QCOMPARE(figures->eraseTotal, 155);
        QVERIFY2(figures->eraseDone >= last.eraseDone, reply.constData());
        QVERIFY2(figures->programDone >= last.programDone, reply.constData());
        if (figures->programTotal == 0) {
            // Erasing: programming figures stay 0 until the erase is complete.
            QVERIFY2(last.programTotal == 0, reply.constData());
            QCOMPARE(figures->programDone, 0);
            QVERIFY(figures->eraseDone < 155);
            sawErasing = sawErasing || figures->eraseDone > 0;
        } else {
            QCOMPARE(figures->eraseDone, 155);
            QCOMPARE(figures->programTotal, 20000);
            QVERIFY(figures->programDone <= 20000);
            sawProgramming =
                sawProgramming || (figures->programDone > 0 && figures->programDone < 20000);
            sawFinal = sawFinal || figures->programDone == 20000;
        }
        last = *figures;
    }
    QVERIFY2(sawErasing, "no reply in the middle of the erase phase");
    QVERIFY2(sawProgramming, "no reply in the middle of the programming phase");
    QVERIFY2(sawFinal, "the final figures did not linger");
    QCOMPARE(seen.last(), QByteArray("1 155 155 20000 20000"));

    QCOMPARE(HwVersion(rig.client), QByteArray("1.2b.05"));
    QCOMPARE(rig.client.Ask("CAM_FIRMWAREUPDATE 1"), QByteArray("0 0 0 0"));
}

void TestSimRun::secondStartDoesNotRestart() {
    SimOptions options = FastOptions();
    options.eraseMs = 2000; // long enough to look twice within it
    SimRig rig{options};
    QVERIFY(rig.started);
    rig.client.ReadLine();
    QCOMPARE(rig.client.Ask("CAM_FIRMWAREUPDATE 0"), QByteArray("OK"));
    QList<QByteArray> seen;
    QVERIFY(PollUntil(rig.client, seen, [](const QByteArray& r) {
        const auto figures = ReadFigures(r);
        return figures && figures->eraseDone >= 20;
    }));
    const int before = ReadFigures(seen.last())->eraseDone;
    QCOMPARE(rig.client.Ask("CAM_FIRMWAREUPDATE 0"), QByteArray("OK"));
    const std::optional<Figures> after = ReadFigures(rig.client.Ask("CAM_FIRMWAREUPDATE 1"));
    QVERIFY(after);
    QVERIFY2(after->eraseDone >= before, "the second start restarted the run");
}

void TestSimRun::runInProgressAtStart() {
    SimOptions options = FastOptions();
    options.runInProgress = true;
    SimRig rig{options};
    QVERIFY(rig.started);
    rig.client.ReadLine();
    QList<QByteArray> seen;
    QVERIFY(PollUntil(rig.client, seen, [](const QByteArray& r) { return r == "0 0 0 0"; }));
    QVERIFY2(seen.size() >= 2, "no run was going on");
    QVERIFY2(ReadFigures(seen.first()), seen.first().constData());
    QCOMPARE(HwVersion(rig.client), QByteArray("1.2b.05"));
    // Nobody started it over this connection.
    QVERIFY(!rig.sim.ReceivedLines().contains("CAM_FIRMWAREUPDATE 0"));
}

void TestSimRun::startDelay() {
    SimOptions options = FastOptions();
    options.startDelayMs = 300;
    SimRig rig{options};
    QVERIFY(rig.started);
    rig.client.ReadLine();
    QElapsedTimer clock;
    clock.start();
    QCOMPARE(rig.client.Ask("CAM_FIRMWAREUPDATE 0"), QByteArray("OK"));
    QCOMPARE(rig.client.Ask("CAM_FIRMWAREUPDATE 1"), QByteArray("0 0 0 0"));
    QList<QByteArray> seen;
    QVERIFY(PollUntil(rig.client, seen, [](const QByteArray& r) { return r != "0 0 0 0"; }));
    QVERIFY2(clock.elapsed() >= 300, "the erase phase began before the delay");
    const std::optional<Figures> first = ReadFigures(seen.last());
    QVERIFY2(first, seen.last().constData());
    QCOMPARE(first->programTotal, 0);
}

void TestSimRun::stallStaysForEver() {
    SimOptions options = FastOptions();
    options.stallAtPercent = 50;
    SimRig rig{options};
    QVERIFY(rig.started);
    rig.client.ReadLine();
    QCOMPARE(rig.client.Ask("CAM_FIRMWAREUPDATE 0"), QByteArray("OK"));
    QList<QByteArray> seen;
    QVERIFY(PollUntil(rig.client, seen,
                      [](const QByteArray& r) { return r == "1 155 155 20000 10000"; }));
    for (const QByteArray& reply : seen) {
        const auto figures = ReadFigures(reply);
        QVERIFY2(figures && figures->programDone <= 10000, reply.constData());
    }
    // That a stalled run never moves again is the run's rule, held to a clock
    // of its own in tst_programming_run; here the camera stalled refuses a new
    // start and keeps its version.
    QCOMPARE(rig.client.Ask("CAM_FIRMWAREUPDATE 0"), QByteArray("OK"));
    QCOMPARE(rig.client.Ask("CAM_FIRMWAREUPDATE 1"), QByteArray("1 155 155 20000 10000"));
    QCOMPARE(HwVersion(rig.client), QByteArray("1.2a.3f"));
}

void TestSimRun::abortLeavesVersion() {
    SimOptions options = FastOptions();
    options.abortAtPercent = 50;
    SimRig rig{options};
    QVERIFY(rig.started);
    rig.client.ReadLine();
    QCOMPARE(rig.client.Ask("CAM_FIRMWAREUPDATE 0"), QByteArray("OK"));
    QList<QByteArray> seen;
    QVERIFY(PollUntil(rig.client, seen, [](const QByteArray& r) { return r == "0 0 0 0"; }));
    seen.removeLast();
    for (const QByteArray& reply : seen) {
        const auto figures = ReadFigures(reply);
        QVERIFY2(figures && figures->programDone < 10000, reply.constData());
    }
    QCOMPARE(HwVersion(rig.client), QByteArray("1.2a.3f"));
    QCOMPARE(rig.client.Ask("CAM_FIRMWAREUPDATE 1"), QByteArray("0 0 0 0"));
}

QTEST_MAIN(TestSimRun)
#include "tst_sim_run.moc"
