#include "camera.h"
#include "power_cycle_watch.h"
#include "recording_surface.h"
#include "run_texts.h"
#include "session_rig.h"
#include "sim_thread.h"
#include "tool_session.h"

#include <QElapsedTimer>
#include <QEventLoop>
#include <QTest>
#include <QTimer>

#include <memory>

using kestrel::LinkSettings;
using kestrel::Pane;
using kestrel::RunOutcome;
using kestrel::RunSettings;
using kestrel::ToolSession;
using kestrel::sim::SimOptions;
using kestrel::sim::SimThread;
using kestrel::Camera;
using kestrel::test::AskText;
using kestrel::test::ClickConnect;
using kestrel::test::ClickUpdate;
using kestrel::test::RecordingSurface;
using kestrel::test::RunEnd;
using kestrel::test::SessionAt;
namespace texts = kestrel::texts;

namespace {

const QString kFinishedTail = texts::kPhaseOk + texts::kFinished + texts::kPowerCycle;

SimOptions FastCamera() {
    SimOptions options;
    options.UseFastTiming();
    return options;
}

struct Rig {
    explicit Rig(const SimOptions& options, RunSettings run = {}, int replyTimeoutMs = 10000)
        : sim(std::make_unique<SimThread>(options)) {
        started = sim->Start();
        run.switchPauseMs = 1;
        run.pollIntervalMs = 20;
        LinkSettings link;
        link.connectTimeoutMs = 1000;
        link.replyTimeoutMs = replyTimeoutMs;
        session = SessionAt(surface, sim->Port(), run, link);
    }
    QByteArrayList Received() const { return sim->ReceivedLines(); }
    void Connect() { ClickConnect(*session, surface); }

    std::unique_ptr<SimThread> sim;
    bool started = false;
    RecordingSurface surface;
    std::unique_ptr<ToolSession> session;
};

} // namespace

class RunAgainstSimTest : public QObject {
    Q_OBJECT
private slots:
    void wholeRunChangesTheFirmware();
    void runInProgressAtConnectIsFollowed();
    void secondPressFollowsTheRunAgain();
    void reconnectsAfterLostConnections();
    void cameraGoneForGood();
    void stalledRun();
    void cameraAbortsTheRun();
    void startDelayIsNoEnd();
    void operatorDisconnectsDuringTheRun();
    void runGoesOnWhileAChooserIsHeldOpen();
    void powerCycleWaitEndsWhenStopped();
};

void RunAgainstSimTest::wholeRunChangesTheFirmware() {
    Rig rig(FastCamera());
    QVERIFY(rig.started);
    rig.Connect();
    QVERIFY(rig.session->TheCamera().Info().contains(QStringLiteral("= 1.2A.3F\r\n")));
    const qsizetype before = rig.Received().size();

    QCOMPARE(ClickUpdate(*rig.session), RunOutcome::Finished);
    const QString log = rig.session->Log().Text();
    QVERIFY2(log.endsWith(kFinishedTail), qPrintable(log));
    QVERIFY(log.startsWith(texts::kBanner + texts::kStarting + texts::kEraseHeading +
                           texts::kPhaseOk + texts::kProgramHeading));
    QVERIFY(!rig.session->TheCamera().UpdateRunning());
    QCOMPARE(rig.surface.progress, 100);
    const QByteArrayList lines = rig.Received().mid(before);
    QCOMPARE(lines.mid(0, 6),
             (QByteArrayList{"CAM_FIRMWAREUPDATE 1", "CAM_PLAYSTOP", "CAM_FG_RECORDSTOP",
                             "CAM_LIVESTOP", "CAM_SSD_PLAYSTOP", "CAM_FIRMWAREUPDATE 0"}));
    QVERIFY(lines.size() > 8);
    for (const QByteArray& line : lines.mid(6))
        QCOMPARE(line, QByteArray("CAM_FIRMWAREUPDATE 1"));

    // Once the camera has finished, it reports the new hardware firmware.
    QTRY_VERIFY_WITH_TIMEOUT(AskText(rig.session->TheCamera(), "CAM_FIRMWAREUPDATE 1") == "0 0 0 0",
                             5000);
    QSignalSpy read(&rig.session->TheCamera(), &Camera::identityRead);
    rig.session->TheCamera().ReadIdentity();
    QVERIFY(read.wait());
    QVERIFY(rig.session->TheCamera().Info().contains(QStringLiteral("= 1.2B.05\r\n")));
}

void RunAgainstSimTest::runInProgressAtConnectIsFollowed() {
    SimOptions options = FastCamera();
    options.runInProgress = true;
    Rig rig(options);
    QVERIFY(rig.started);
    QSignalSpy ended(&rig.session->TheCamera(), &Camera::runEnded);
    QSignalSpy readAgain(&rig.session->TheCamera(), &Camera::identityRead);
    rig.Connect();
    QCOMPARE(RunEnd(ended), RunOutcome::Finished);
    QVERIFY(readAgain.wait());

    // The information pane said so, the log first showed the connection line.
    QVERIFY(rig.surface.history[Pane::Info].contains(texts::kUpdateRunningInfo));
    QCOMPARE(rig.surface.history[Pane::Log].first(),
             QStringLiteral("Connected to camera n\u00B0 @ IP=127.0.0.1\r\n"));
    const QString log = rig.session->Log().Text();
    QVERIFY(log.startsWith(texts::kBanner + texts::kAlreadyRunning));
    QVERIFY(log.endsWith(kFinishedTail));
    // No stop or start command; after the run the information is read again.
    const QByteArrayList lines = rig.Received();
    QVERIFY(!lines.contains("CAM_FIRMWAREUPDATE 0"));
    QVERIFY(!lines.contains("CAM_PLAYSTOP"));
    QVERIFY(lines.contains("CAM_GETSERIALNUMBER"));
    QVERIFY(rig.session->TheCamera().Info().startsWith(QStringLiteral("Camera Serial Number = ")));
    QVERIFY(rig.session->TheCamera().Connected());
    QVERIFY(!rig.session->TheCamera().UpdateRunning());
}

void RunAgainstSimTest::secondPressFollowsTheRunAgain() {
    // A second press while the phases are followed takes the run over: the
    // log starts again with the banner, and one run ends, once.
    Rig rig(FastCamera());
    QVERIFY(rig.started);
    rig.Connect();
    Camera& camera = rig.session->TheCamera();
    QSignalSpy ended(&camera, &Camera::runEnded);
    QSignalSpy erasing(&camera, &Camera::figuresRead);
    rig.session->StartUpdate();
    QVERIFY(erasing.wait());
    QVERIFY(camera.UpdateRunning());
    rig.session->StartUpdate();
    QCOMPARE(RunEnd(ended), RunOutcome::Finished);
    QCOMPARE(ended.size(), 1);
    const QString log = rig.session->Log().Text();
    QVERIFY2(log.startsWith(texts::kBanner + texts::kAlreadyRunning), qPrintable(log));
    QVERIFY(log.endsWith(kFinishedTail));
    QCOMPARE(log.count(texts::kPowerCycle), 1);
    QVERIFY(!rig.session->TheCamera().UpdateRunning());
    QCOMPARE(rig.Received().count("CAM_FIRMWAREUPDATE 0"), 1);
}

void RunAgainstSimTest::reconnectsAfterLostConnections() {
    SimOptions options = FastCamera();
    options.closeAfter = 40; // every connection ends after 40 commands
    RunSettings run;
    run.reconnectPauseMs = 20;
    Rig rig(options, run);
    QVERIFY(rig.started);
    rig.Connect();
    QCOMPARE(ClickUpdate(*rig.session), RunOutcome::Finished);
    const QString log = rig.session->Log().Text();
    QVERIFY2(log.endsWith(kFinishedTail), qPrintable(log));
    QVERIFY(log.contains(QStringLiteral("Connection to the camera lost: the camera closed the "
                                        "connection\r\n") +
                         texts::TryingToReconnect(60000) + texts::Reconnected("127.0.0.1")));
    QVERIFY(rig.session->TheCamera().Connected());
    QCOMPARE(rig.surface.caption, QStringLiteral("Disconnect"));
    QVERIFY(rig.sim->ConnectionsAccepted() >= 2);
    QVERIFY(rig.surface.messageBoxes.isEmpty());
}

void RunAgainstSimTest::cameraGoneForGood() {
    SimOptions options = FastCamera();
    options.eraseMs = 60000;
    RunSettings run;
    run.reconnectWindowMs = 400;
    run.reconnectPauseMs = 50;
    Rig rig(options, run);
    QVERIFY(rig.started);
    rig.Connect();
    QTimer::singleShot(200, [&] { rig.sim.reset(); });
    rig.surface.onMessageBox = [&](const QString&) {
        // While the warning is up, the run is already over.
        QVERIFY(!rig.session->TheCamera().UpdateRunning());
    };
    QCOMPARE(ClickUpdate(*rig.session), RunOutcome::ConnectionLost);
    const QString log = rig.session->Log().Text();
    QVERIFY2(log.endsWith(texts::CouldNotReconnect(400)), qPrintable(log));
    QVERIFY(!log.contains(texts::kPowerCycle));
    QCOMPARE(rig.surface.messageBoxes, QStringList{texts::kLostMessage});
    QVERIFY(!rig.session->TheCamera().UpdateRunning());
    QVERIFY(!rig.session->TheCamera().Connected());
    QCOMPARE(rig.surface.caption, QStringLiteral("Connect"));
}

void RunAgainstSimTest::stalledRun() {
    SimOptions options = FastCamera();
    options.stallAtPercent = 50;
    RunSettings run;
    run.stallTimeoutMs = 300;
    Rig rig(options, run);
    QVERIFY(rig.started);
    rig.Connect();
    QCOMPARE(ClickUpdate(*rig.session), RunOutcome::Stalled);
    const QString log = rig.session->Log().Text();
    QVERIFY2(log.contains(QStringLiteral("The camera's figures have not changed for 0.3 s "
                                         "(programming, page 10000 of 20000)")),
             qPrintable(log));
    QVERIFY(!log.contains(texts::kPowerCycle));
    QCOMPARE(rig.surface.messageBoxes, QStringList{texts::kStalledMessage});
    QVERIFY(!rig.session->TheCamera().UpdateRunning());
    // Other commands reach the camera again.
    QCOMPARE(AskText(rig.session->TheCamera(), "CAM_GetCameraType"),
             QByteArray("CAM_GETCAMERATYPE 7"));
}

void RunAgainstSimTest::cameraAbortsTheRun() {
    SimOptions options = FastCamera();
    options.abortAtPercent = 40;
    Rig rig(options);
    QVERIFY(rig.started);
    rig.Connect();
    QCOMPARE(ClickUpdate(*rig.session), RunOutcome::CameraStopped);
    const QString log = rig.session->Log().Text();
    QVERIFY2(log.contains(QStringLiteral("The camera ended the programming run before reporting "
                                         "its end (last seen: programming, page ")),
             qPrintable(log));
    QVERIFY(!log.contains(texts::kPowerCycle));
    QCOMPARE(rig.surface.messageBoxes, QStringList{texts::kStoppedEarlyMessage});
    QVERIFY(!rig.session->TheCamera().UpdateRunning());
}

void RunAgainstSimTest::startDelayIsNoEnd() {
    // A camera that takes seconds to read the firmware from its stick.
    SimOptions options = FastCamera();
    options.startDelayMs = 7000;
    Rig rig(options);
    QVERIFY(rig.started);
    rig.Connect();
    QCOMPARE(ClickUpdate(*rig.session), RunOutcome::Finished);
    QVERIFY(rig.session->Log().Text().endsWith(kFinishedTail));
    // Meanwhile the status line said what the tool waited for.
    const QString waiting = texts::WaitingToBegin(kestrel::runrules::kStartWaitMs);
    QVERIFY(!rig.surface.history.value(Pane::Log).filter(waiting).isEmpty());
}

void RunAgainstSimTest::operatorDisconnectsDuringTheRun() {
    SimOptions options = FastCamera();
    options.eraseMs = 60000;
    Rig rig(options);
    QVERIFY(rig.started);
    rig.Connect();
    QSignalSpy ended(&rig.session->TheCamera(), &Camera::runEnded);
    QSignalSpy erasing(&rig.session->TheCamera(), &Camera::figuresRead);
    rig.session->StartUpdate();
    QVERIFY(erasing.wait());
    rig.session->Connect(rig.surface.address); // Disconnect
    QCOMPARE(RunEnd(ended), RunOutcome::Disconnected);
    const QString log = rig.session->Log().Text();
    QVERIFY2(log.endsWith(texts::kDisconnected), qPrintable(log));
    QCOMPARE(rig.surface.messageBoxes, QStringList{texts::kDisconnectedMessage});
    QVERIFY(!rig.session->TheCamera().Connected());
    QVERIFY(!rig.session->TheCamera().UpdateRunning());
    // The busy gate kept CLOSE away from a camera that is programming.
    QVERIFY(!rig.Received().contains("CLOSE"));
}

void RunAgainstSimTest::runGoesOnWhileAChooserIsHeldOpen() {
    // The operator opens a chooser during the erase phase and holds it open
    // for 12 s, while the camera finishes erasing, programs, lingers on its
    // final figures and goes idle. The chooser is modal: it serves events,
    // and nothing of the run waits beneath it, so the polls go on at their
    // rate and the run ends normally, with the power-cycle instruction,
    // while the chooser is still open.
    SimOptions options;
    options.eraseMs = 3000;
    options.programMs = 5000;
    options.lingerMs = 2000;
    RunSettings run;
    run.pollIntervalMs = 100;
    Rig rig(options, run);
    QVERIFY(rig.started);
    rig.Connect();
    Camera& camera = rig.session->TheCamera();
    QSignalSpy ended(&camera, &Camera::runEnded);
    QElapsedTimer clock;
    clock.start();
    QList<qint64> pollTimes;
    QObject::connect(&camera, &Camera::figuresRead, &camera,
                     [&] { pollTimes << clock.elapsed(); });
    rig.session->StartUpdate();
    QTRY_VERIFY(!pollTimes.isEmpty());

    qint64 openedAt = 0;
    qint64 closedAt = 0;
    bool endedWhileOpen = false;
    rig.surface.onChooser = [&] {
        openedAt = clock.elapsed();
        QEventLoop chooser; // the chooser's own modal loop
        QTimer::singleShot(12000, Qt::PreciseTimer, &chooser, &QEventLoop::quit);
        chooser.exec();
        closedAt = clock.elapsed();
        endedWhileOpen = !ended.isEmpty();
    };
    rig.session->ChooseHwFile();

    QVERIFY(endedWhileOpen);
    QCOMPARE(ended.first().at(0).value<RunOutcome>(), RunOutcome::Finished);
    const QString log = rig.session->Log().Text();
    QVERIFY2(log.endsWith(kFinishedTail), qPrintable(log));
    // The run told the operator nothing; the chooser, closed without a
    // choice, says so.
    QCOMPARE(rig.surface.messageBoxes, QStringList{QStringLiteral("No valid file selected")});
    // The polls went on while the chooser was open, none far behind the one
    // before: no more than a few poll intervals apart.
    qint64 longestGap = 0;
    int whileOpen = 0;
    for (qsizetype i = 1; i < pollTimes.size(); ++i) {
        if (pollTimes[i] < openedAt || pollTimes[i] > closedAt)
            continue;
        ++whileOpen;
        longestGap = std::max(longestGap, pollTimes[i] - pollTimes[i - 1]);
    }
    QVERIFY2(whileOpen >= 20, qPrintable(QString::number(whileOpen)));
    QVERIFY2(longestGap < 1500, qPrintable(QString::number(longestGap)));
    QCOMPARE(rig.Received().count("CAM_FIRMWAREUPDATE 0"), 1);
}

void RunAgainstSimTest::powerCycleWaitEndsWhenStopped() {
    // Ctrl-C while the operator is to power-cycle the camera: the wait ends
    // at once, as stopped, and says nothing of the camera.
    Rig rig(FastCamera());
    QVERIFY(rig.started);
    rig.Connect();
    Camera& camera = rig.session->TheCamera();
    kestrel::PowerCycleWatch watch(camera, {60000, 50});
    QSignalSpy gone(&watch, &kestrel::PowerCycleWatch::gone);
    QSignalSpy finished(&watch, &kestrel::PowerCycleWatch::finished);
    watch.Start(camera.Identity().hardware);
    QTRY_VERIFY(rig.Received().contains("CAM_FIRMWAREUPDATE 1")); // looked at, still there
    camera.Stop();
    watch.Stop();
    QVERIFY(finished.isEmpty()); // told from the event loop
    QVERIFY(finished.wait());
    QCOMPARE(finished.size(), 1);
    const auto result = finished.first().at(0).value<kestrel::PowerCycleResult>();
    QVERIFY(result.stopped);
    QCOMPARE(result.detail, QString());
    QVERIFY(gone.isEmpty());
}

QTEST_GUILESS_MAIN(RunAgainstSimTest)
#include "run_against_sim_test.moc"
