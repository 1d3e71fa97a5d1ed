#include "camera.h"
#include "raw_peer.h"
#include "recording_surface.h"
#include "run_texts.h"
#include "session_rig.h"
#include "tool_session.h"

#include <QTest>
#include <QTimer>

using kestrel::Pane;
using kestrel::RunOutcome;
using kestrel::RunSettings;
using kestrel::ToolSession;
using kestrel::Camera;
using kestrel::test::ClickConnect;
using kestrel::test::ClickUpdate;
using kestrel::test::RawPeer;
using kestrel::test::RecordingSurface;
using kestrel::test::SessionAt;
using kestrel::test::WireLines;
namespace texts = kestrel::texts;

namespace {

const QByteArrayList kStarts{"CAM_FIRMWAREUPDATE 1", "CAM_PLAYSTOP",     "CAM_FG_RECORDSTOP",
                             "CAM_LIVESTOP",         "CAM_SSD_PLAYSTOP", "CAM_FIRMWAREUPDATE 0"};
const QString kLine = QStringLiteral("Connected to camera n\u00B0 @ IP=127.0.0.1\r\n");

RunSettings QuickRun() {
    RunSettings run;
    run.phaseEndPauseMs = 1;
    run.switchPauseMs = 1;
    run.pollIntervalMs = 0;
    run.afterRunQueryDelayMs = 1;
    return run;
}

// A session connected to a scripted camera that reports no run, with the
// information query's answers consumed; the wire record starts afresh.
struct Scripted {
    explicit Scripted(RunSettings run = QuickRun()) {
        peer.replies = {"0 0 0 0\r\n", "S 1\r\n", "T 3\r\n", "C 0\r\n",
                        "1\r\n",       "2\r\n",   "3\r\n",   "x\r\n"};
        session = SessionAt(surface, peer.Port(), run);
        ClickConnect(*session, surface);
        peer.received.clear();
        surface.calls.clear();
        surface.progressHistory.clear();
        surface.history.clear();
    }
    // Replies to the probe, the four stops and the start, then to the polls.
    void Script(const QByteArrayList& polls) {
        peer.replies = {"0 0 0 0\r\n", "OK\r\n", "OK\r\n", "OK\r\n", "OK\r\n", "OK\r\n"};
        for (const QByteArray& poll : polls)
            peer.replies << poll + "\r\n";
    }
    RawPeer peer;
    RecordingSurface surface;
    std::unique_ptr<ToolSession> session;
};

QString FullLog(const QString& opening) {
    return texts::kBanner + opening + texts::kEraseHeading + texts::kPhaseOk +
           texts::kProgramHeading + texts::kPhaseOk + texts::kFinished + texts::kPowerCycle;
}

} // namespace

class FirmwareRunTest : public QObject {
    Q_OBJECT
private slots:
    void notConnectedRefuses();
    void wholeRunOnTheWire();
    void eraseExamplePositionsAndStatusLines();
    void firstEraseReplyWithZeroTotalEndsThePhase();
    void replyWithoutSpaceKeepsTheCounters();
    void programTotalOfOneEndsAtOnce();
    void barNeverMovesBack();
    void alreadyRunningFlagSkipsProbeAndStart();
    void busyGateDuringRun();
    void prematureIdle_data();
    void prematureIdle();
    void neverStarted();
    void zeroProgramTotalLeavesTheBar();
};

void FirmwareRunTest::notConnectedRefuses() {
    RecordingSurface surface;
    ToolSession session(surface, surface);
    session.Log().Restart(QStringLiteral("kept"));
    QSignalSpy ended(&session.TheCamera(), &Camera::runEnded);
    session.StartUpdate();
    QCOMPARE(surface.messageBoxes, QStringList{QStringLiteral("Please first connect to a camera")});
    QCOMPARE(session.Log().Text(), QStringLiteral("kept"));
    QVERIFY(surface.progressHistory.isEmpty());
    QVERIFY(!session.TheCamera().UpdateRunning());
    QCOMPARE(session.TheCamera().Update(), RunOutcome::NotConnected);
    QVERIFY(!session.TheCamera().RunActive());
    QVERIFY(ended.isEmpty());
}

void FirmwareRunTest::wholeRunOnTheWire() {
    Scripted s;
    s.Script({"1 155 0 0 0", "1 155 154 0 0", "1 155 155 20000 10000", "1 155 155 20000 19999"});
    QCOMPARE(ClickUpdate(*s.session), RunOutcome::Finished);
    QByteArrayList expected = kStarts;
    for (int i = 0; i < 4; ++i)
        expected << "CAM_FIRMWAREUPDATE 1";
    QCOMPARE(WireLines(s.peer.received), expected);
    QCOMPARE(s.session->Log().Text(), FullLog(texts::kStarting));
    QCOMPARE(s.surface.paneText[Pane::Log], FullLog(texts::kStarting));
    QCOMPARE(s.surface.caret[Pane::Log], FullLog(texts::kStarting).size());
    QVERIFY(!s.session->TheCamera().UpdateRunning());
    QCOMPARE(s.surface.progress, 100);
    QVERIFY(s.surface.messageBoxes.isEmpty());
}

void FirmwareRunTest::eraseExamplePositionsAndStatusLines() {
    Scripted s;
    s.Script(
        {"1 155 0 0 0", "1 155 77 0 0", "1 155 154 0 0", "1 155 155 0 0", "1 155 155 20000 19999"});
    ClickUpdate(*s.session);
    // 0 is not sent again, 50, 100; 100 at the phase end; the programming
    // phase starts at 0, 100, and 100 at its end.
    QCOMPARE(s.surface.progressHistory, (QList<int>{0, 50, 100, 100, 0, 100, 100}));
    const QStringList logShows = s.surface.calls.filter(QStringLiteral("show log"));
    // Each cycle shows the log plus one status line, the caret at the start
    // of the status line.
    const QString eraseLog = texts::kBanner + texts::kStarting + texts::kEraseHeading;
    const QString programLog = eraseLog + texts::kPhaseOk + texts::kProgramHeading;
    QStringList expected{
        QStringLiteral("show log @%1").arg((texts::kBanner + texts::kStarting).size()),
        QStringLiteral("show log @%1").arg(eraseLog.size())};
    for (int i = 0; i < 3; ++i)
        expected << QStringLiteral("show log @%1").arg(eraseLog.size());
    expected << QStringLiteral("show log @%1").arg(programLog.size());
    for (int i = 0; i < 2; ++i)
        expected << QStringLiteral("show log @%1").arg(programLog.size());
    expected << QStringLiteral("show log @%1").arg(FullLog(texts::kStarting).size());
    QCOMPARE(logShows, expected);
    const QStringList texts = s.surface.history[Pane::Log];
    QCOMPARE(texts.mid(2, 3),
             (QStringList{eraseLog + "sector 0 of 155\r\n", eraseLog + "sector 77 of 155\r\n",
                          eraseLog + "sector 154 of 155\r\n"}));
    QCOMPARE(texts.mid(6, 2), (QStringList{programLog + "page 0 of 20000\r\n",
                                           programLog + "page 19999 of 20000\r\n"}));
    // No status line is left in the log.
    QCOMPARE(texts.last(), FullLog(texts::kStarting));
}

void FirmwareRunTest::firstEraseReplyWithZeroTotalEndsThePhase() {
    Scripted s;
    s.Script({"1 0 0 0 0", "1 0 0 20000 19999"});
    QCOMPARE(ClickUpdate(*s.session), RunOutcome::Finished);
    QCOMPARE(WireLines(s.peer.received).size(), kStarts.size() + 2);
}

void FirmwareRunTest::replyWithoutSpaceKeepsTheCounters() {
    // An empty line from the camera: the counters keep 155 and 0, the status
    // line reads sector 0 of 155, and the next cycle polls again.
    Scripted s;
    s.Script({"", "1 155 154 0 0", "1 155 155 20000 19999"});
    ClickUpdate(*s.session);
    QCOMPARE(WireLines(s.peer.received).size(), kStarts.size() + 3);
    QCOMPARE(s.session->Log().Text(), FullLog(texts::kStarting));
    const QString eraseLog = texts::kBanner + texts::kStarting + texts::kEraseHeading;
    QCOMPARE(s.surface.history[Pane::Log][2], eraseLog + "sector 0 of 155\r\n");
}

void FirmwareRunTest::programTotalOfOneEndsAtOnce() {
    Scripted s;
    s.Script({"1 155 154 0 0", "1 155 155 1 0"});
    QCOMPARE(ClickUpdate(*s.session), RunOutcome::Finished);
    QCOMPARE(WireLines(s.peer.received).size(), kStarts.size() + 2);
}

void FirmwareRunTest::barNeverMovesBack() {
    Scripted s;
    s.Script({"1 155 100 0 0", "1 155 40 0 0", "1 155 154 0 0", "1 155 155 20000 19999"});
    ClickUpdate(*s.session);
    QCOMPARE(s.surface.progressHistory, (QList<int>{0, 65, 100, 100, 0, 100, 100}));
}

void FirmwareRunTest::alreadyRunningFlagSkipsProbeAndStart() {
    // A probe that found a run in progress leaves the flag set.
    Scripted s;
    s.peer.replies = {"1 155 10 0 0\r\n", "1 155 154 0 0\r\n", "1 155 155 20000 19999\r\n"};
    Camera& camera = s.session->TheCamera();
    QSignalSpy probed(&camera, &Camera::runProbed);
    camera.ProbeRun();
    QVERIFY(probed.wait());
    QVERIFY(camera.UpdateRunning());
    camera.ProbeRun();
    QVERIFY(probed.wait());
    // Nothing asked while it is set: an empty reply, as answered.
    QCOMPARE(probed.at(1), (QList<QVariant>{QByteArray(), true}));
    QCOMPARE(WireLines(s.peer.received), QByteArrayList{"CAM_FIRMWAREUPDATE 1"});
    s.peer.received.clear();
    QCOMPARE(ClickUpdate(*s.session), RunOutcome::Finished);
    QCOMPARE(WireLines(s.peer.received),
             (QByteArrayList{"CAM_FIRMWAREUPDATE 1", "CAM_FIRMWAREUPDATE 1"}));
    QCOMPARE(s.session->Log().Text(), FullLog(texts::kAlreadyRunning));
    QVERIFY(!s.session->TheCamera().UpdateRunning());
}

void FirmwareRunTest::busyGateDuringRun() {
    Scripted s;
    s.Script({"1 155 10 0 0", "1 155 154 0 0", "1 155 155 20000 19999"});
    QByteArrayList refused;
    bool flagSeen = false;
    QTimer poke;
    const auto collect = [&refused](const std::optional<QByteArray>& reply) {
        refused << reply.value_or("(no reply)");
    };
    QObject::connect(&poke, &QTimer::timeout, &poke, [&] {
        if (!s.session->TheCamera().UpdateRunning())
            return;
        flagSeen = true;
        s.session->TheCamera().SendCommand("CAM_GetSerialNumber", &poke, collect);
        s.session->TheCamera().SendCommand("CLOSE", &poke, collect);
    });
    poke.start(0);
    ClickUpdate(*s.session);
    poke.stop();
    QVERIFY(flagSeen);
    QVERIFY(!refused.isEmpty());
    for (const QByteArray& reply : refused)
        QCOMPARE(reply, QByteArray("occuped"));
    for (const QByteArray& line : WireLines(s.peer.received).mid(kStarts.size()))
        QCOMPARE(line, QByteArray("CAM_FIRMWAREUPDATE 1"));
}

void FirmwareRunTest::prematureIdle_data() {
    QTest::addColumn<QByteArrayList>("polls");
    QTest::addColumn<RunOutcome>("outcome");
    QTest::addColumn<QString>("tail");
    QTest::newRow("idle in the middle of programming")
        << QByteArrayList{"1 155 154 0 0", "1 155 155 20000 9000", "0 0 0 0"}
        << RunOutcome::CameraStopped
        << texts::StoppedEarly(QStringLiteral("programming, page 9000 of 20000"));
    // The last reply before the pause between the phases showed the
    // programming done; after the pause the camera is idle.
    QTest::newRow("end reported before the switch")
        << QByteArrayList{"1 155 100 0 0", "1 155 155 3000 2999", "0 0 0 0"} << RunOutcome::Finished
        << texts::kPhaseOk + texts::kFinished + texts::kPowerCycle;
}

void FirmwareRunTest::prematureIdle() {
    QFETCH(QByteArrayList, polls);
    QFETCH(RunOutcome, outcome);
    QFETCH(QString, tail);
    Scripted s;
    s.Script(polls);
    QCOMPARE(ClickUpdate(*s.session), outcome);
    QVERIFY(s.session->Log().Text().endsWith(tail));
    QVERIFY(!s.session->TheCamera().UpdateRunning());
    const bool success = outcome == RunOutcome::Finished;
    QCOMPARE(s.session->Log().Text().contains(texts::kPowerCycle), success);
    QCOMPARE(s.surface.messageBoxes.size(), success ? 0 : 1);
    // The run ended: nothing more was asked of the camera.
    QCOMPARE(WireLines(s.peer.received).size(), kStarts.size() + polls.size());
}

void FirmwareRunTest::neverStarted() {
    RunSettings run = QuickRun();
    run.startWaitMs = 0;
    Scripted s(run);
    QByteArrayList polls;
    for (int i = 0; i < 100; ++i)
        polls << "0 0 0 0";
    s.Script(polls);
    QCOMPARE(ClickUpdate(*s.session), RunOutcome::NeverStarted);
    QVERIFY(s.session->Log().Text().endsWith(texts::NeverStarted(0)));
    QCOMPARE(s.surface.messageBoxes, QStringList{texts::kNeverStartedMessage});
    // The camera may begin yet: nothing invites touching the stick or the power.
    for (const QString& told : {texts::NeverStarted(0), texts::kNeverStartedMessage})
        QVERIFY2(told.contains("may still begin") && told.contains("do NOT power it off") &&
                     told.contains("Connect again to follow") && !told.contains("stick"),
                 qPrintable(told));
    QVERIFY(!s.session->TheCamera().UpdateRunning());
}

void FirmwareRunTest::zeroProgramTotalLeavesTheBar() {
    Scripted s;
    s.Script({"1 155 154 0 0", "1 155 155 0 500", "1 155 155 20000 19999"});
    QCOMPARE(ClickUpdate(*s.session), RunOutcome::Finished);
    QCOMPARE(s.surface.progressHistory, (QList<int>{0, 100, 100, 0, 100, 100}));
    const QString programLog = texts::kBanner + texts::kStarting + texts::kEraseHeading +
                               texts::kPhaseOk + texts::kProgramHeading;
    QVERIFY(s.surface.history[Pane::Log].contains(programLog + "page 500 of 20000\r\n"));
}

QTEST_GUILESS_MAIN(FirmwareRunTest)
#include "firmware_run_test.moc"
