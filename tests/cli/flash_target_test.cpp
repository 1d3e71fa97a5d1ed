// kestrel-flash aimed at a hardware firmware version: update leaves a camera
// that runs it alone, plan changes nothing, and the camera must come back
// with exactly that version.

#include "flash_process.h"
#include "history_stamp.h"
#include "history_store.h"
#include "sim_thread.h"

#include <QDateTime>
#include <QJsonArray>
#include <QTemporaryDir>
#include <QTest>

using kestrel::sim::SimOptions;
using kestrel::sim::SimThread;
using kestrel::test::ClosedPort;
using kestrel::test::FlashCamera;
using kestrel::test::FlashRun;
using kestrel::test::Loopback;
using kestrel::test::RunFlash;
using kestrel::test::SummaryJob;

namespace {

// What the camera may receive when it is only asked: the update status, who
// it is, and the goodbye.
const QList<QByteArray> kQuestions{"CAM_FIRMWAREUPDATE 1",   "CAM_GETSERIALNUMBER",
                                   "CAM_GETCAMERATYPE",      "CAM_GETSENSORCOLOR",
                                   "CAM_GETSENSORBAYERTYPE", "REG_READ 6E80",
                                   "REG_READ 6F80",          "REG_READ 1F80",
                                   "GETSERVER_VERSION",      "CLOSE"};

bool OnlyAsked(const QList<QByteArray>& lines) {
    for (const QByteArray& line : lines) {
        if (!kQuestions.contains(line))
            return false;
    }
    return true;
}

} // namespace

class FlashTargetTest : public QObject {
    Q_OBJECT
private slots:
    void updateSkipsACurrentCamera_data();
    void updateSkipsACurrentCamera();
    void planChangesNothing_data();
    void planChangesNothing();
    void wrongVersionAfterThePowerCycleFails();
    void aCameraWaitingForItsPowerCycleIsLeftAlone_data();
    void aCameraWaitingForItsPowerCycleIsLeftAlone();
};

void FlashTargetTest::updateSkipsACurrentCamera_data() {
    QTest::addColumn<bool>("reinstall");
    QTest::newRow("current: left alone") << false;
    QTest::newRow("--reinstall: programmed") << true;
}

void FlashTargetTest::updateSkipsACurrentCamera() {
    QFETCH(bool, reinstall);
    SimThread sim(FlashCamera());
    QVERIFY(sim.Start());
    QStringList arguments{"update", "--json", "--target-hw-version", "1.2a.3F"};
    if (reinstall)
        arguments << "--reinstall";
    const FlashRun run = RunFlash(arguments << Loopback(sim.Port()));
    QVERIFY(run.finished);
    QCOMPARE(run.exitCode, 0);
    const QList<QJsonObject> events = run.JsonLines();
    QVERIFY2(!events.isEmpty(), run.out.constData());
    QCOMPARE(events.first().value("target").toString(), QStringLiteral("1.2A.3F"));
    const QJsonObject job = SummaryJob(run);
    QCOMPARE(job.value("result").toString(), reinstall ? "ok" : "current");
    QCOMPARE(job.value("changed").toBool(), reinstall);
    QCOMPARE(OnlyAsked(sim.ReceivedLines()), !reinstall);
    QCOMPARE(sim.ReceivedLines().count("CAM_FIRMWAREUPDATE 0"), reinstall ? 1 : 0);
    QCOMPARE(sim.ReceivedLines().count("CAM_PLAYSTOP"), reinstall ? 1 : 0);
}

void FlashTargetTest::planChangesNothing_data() {
    QTest::addColumn<bool>("reachable");
    QTest::addColumn<bool>("runInProgress");
    QTest::addColumn<QString>("target");
    QTest::addColumn<QString>("action");
    QTest::addColumn<QString>("reason");
    QTest::newRow("program") << true << false << "1.2B.05"
                             << "program"
                             << "older";
    QTest::newRow("skip") << true << false << "1.2a.3f"
                          << "skip"
                          << "current";
    QTest::newRow("follow") << true << true << "1.2B.05"
                            << "follow"
                            << "run in progress";
    QTest::newRow("unreachable") << false << false << QString() << "unreachable"
                                 << "Could not connect to the camera at 127.0.0.1: the camera "
                                    "refused the connection.";
}

void FlashTargetTest::planChangesNothing() {
    QFETCH(bool, reachable);
    QFETCH(bool, runInProgress);
    QFETCH(QString, target);
    QFETCH(QString, action);
    QFETCH(QString, reason);
    SimOptions options = FlashCamera();
    options.runInProgress = runInProgress;
    SimThread sim(options);
    QVERIFY(sim.Start());
    const QString camera = Loopback(reachable ? sim.Port() : ClosedPort());
    QStringList arguments{"plan", "--json", camera};
    if (!target.isEmpty())
        arguments << "--target-hw-version" << target;
    const FlashRun run = RunFlash(arguments);
    QVERIFY(run.finished);
    QCOMPARE(run.exitCode, reachable ? 0 : 1);
    QVERIFY(OnlyAsked(sim.ReceivedLines()));
    QCOMPARE(sim.ReceivedLines().isEmpty(), !reachable);
    const QList<QJsonObject> events = run.JsonLines();
    QVERIFY2(!events.isEmpty(), run.out.constData());
    QJsonObject plan;
    for (const QJsonObject& event : events) {
        if (event.value("event").toString() == QLatin1String("plan"))
            plan = event;
    }
    QCOMPARE(plan.value("action").toString(), action);
    QCOMPARE(plan.value("reason").toString(), reason);
    QCOMPARE(plan.value("runInProgress").toBool(), runInProgress);
    // The information as read: only of a camera that could be asked and was
    // not programming.
    QCOMPARE(plan.value("camera").toObject().value("hardware").toString(),
             reachable && !runInProgress ? "1.2A.3F" : "");
    const QJsonObject job = SummaryJob(run);
    QCOMPARE(job.value("result").toString(), action);
    QCOMPARE(job.value("ok").toBool(), reachable);
    QCOMPARE(job.value("changed").toBool(), false);
}

void FlashTargetTest::wrongVersionAfterThePowerCycleFails() {
    SimOptions options = FlashCamera();
    options.newHwVersion.parts = {"1", "2b", "4"}; // not the image that was wanted
    options.powerCycleAfterMs = 300;
    options.powerOffMs = 1500;
    SimThread sim(options);
    QVERIFY(sim.Start());
    const FlashRun run = RunFlash({"update", "--confirm-reboot", "--json", "--target-hw-version",
                                   "1.2B.05", Loopback(sim.Port())});
    QVERIFY(run.finished);
    QCOMPARE(run.exitCode, 1);
    const QJsonObject job = SummaryJob(run);
    QCOMPARE(job.value("result").toString(), QStringLiteral("wrong-version"));
    QCOMPARE(job.value("detail").toString(),
             QStringLiteral("wrong version: camera runs 1.2B.4, wanted 1.2B.05"));
    QCOMPARE(job.value("changed").toBool(), true);
}

void FlashTargetTest::aCameraWaitingForItsPowerCycleIsLeftAlone_data() {
    QTest::addColumn<QStringList>("command");
    QTest::newRow("update: pending") << QStringList{"update", "--json"};
    QTest::newRow("plan: skip") << QStringList{"plan", "--plain"};
    QTest::newRow("update --reinstall") << QStringList{"update", "--json", "--reinstall"};
}

void FlashTargetTest::aCameraWaitingForItsPowerCycleIsLeftAlone() {
    QFETCH(QStringList, command);
    const bool reinstall = command.contains("--reinstall");
    // This bench programmed the camera (1.2A.3F) to 1.2B.05 just now.
    using namespace kestrel;
    HistoryEvent begin = BeginEvent(history::kTerminal, history::kUpdate);
    begin.serial = "21040017";
    begin.hardwareBefore = "1.2A.3F";
    begin.target = "1.2B.05";
    HistoryEvent end = EndEvent(begin);
    end.result = "ok";
    std::vector<HistoryEvent> events{begin, end};
    QTemporaryDir folder;
    HistoryStore store;
    QString error;
    QVERIFY2(store.Open(folder.filePath("h.sqlite"), &error) && store.Append(events, &error),
             qPrintable(error));
    SimThread sim(FlashCamera());
    QVERIFY(sim.Start());
    const FlashRun run =
        RunFlash(command << QStringList{"--target-hw-version", "1.2B.05", "--history", store.Path(),
                                        Loopback(sim.Port())});
    QCOMPARE(run.exitCode, 0);
    QCOMPARE(OnlyAsked(sim.ReceivedLines()), !reinstall);
    const QString pending = "at " + QDateTime::fromMSecsSinceEpoch(end.timeMs).toString("hh:mm") +
                            " on this bench; power-cycle it to load the new firmware, or use "
                            "--reinstall to program it again";
    if (command.first() == "plan") {
        QVERIFY(run.out.contains(": plan: skip: power-cycle pending: programmed at "));
        return;
    }
    const QJsonObject job = SummaryJob(run);
    QCOMPARE(job.value("result").toString(), reinstall ? "ok" : "power-cycle-pending");
    QCOMPARE(job.value("changed").toBool(), reinstall);
    QCOMPARE(job.value("detail").toString().endsWith(pending), !reinstall);
}

QTEST_MAIN(FlashTargetTest)
#include "flash_target_test.moc"
