#include "firmware_run.h"
#include "keep_awake.h"
#include "logind_stand_in.h"
#include "recording_surface.h"
#include "session_rig.h"
#include "sim_thread.h"
#include "staging_task.h"

#include <QFile>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

#include <optional>
#include <thread>

using kestrel::FirmwareRun;
using kestrel::KeepAwake;
using kestrel::RunOutcome;
using kestrel::test::LogindStandIn;

namespace {

enum class Turn { None, CameraGone, Disconnect, Stop }; // once the run is followed
const QString kCall =
    QStringLiteral("sleep:idle|keep_awake_test|Camera firmware programming in progress|block");

} // namespace

Q_DECLARE_METATYPE(Turn)
Q_DECLARE_METATYPE(RunOutcome)

class KeepAwakeTest : public QObject {
    Q_OBJECT
private slots:
    void initTestCase() { QVERIFY(m_logind.StartBus()); }
    void withoutLogindNothingIsSaid();
    void oneLockForEveryHolder();
    void heldWhileTheRunIsFollowed_data();
    void heldWhileTheRunIsFollowed();
    void heldWhileTheFilesAreWritten_data();
    void heldWhileTheFilesAreWritten();

private:
    LogindStandIn m_logind;
};

void KeepAwakeTest::withoutLogindNothingIsSaid() {
    QTest::failOnWarning(QRegularExpression(QStringLiteral(".*")));
    QVERIFY(!KeepAwake().Granted());
    QVERIFY(m_logind.StartManager());
}

void KeepAwakeTest::oneLockForEveryHolder() {
    const qsizetype before = m_logind.Calls().size();
    std::optional<KeepAwake> first(std::in_place);
    std::optional<KeepAwake> second;
    std::thread([&second] { second.emplace(); }).join();
    QVERIFY(first->Granted() && second->Granted());
    QCOMPARE(m_logind.Calls().mid(before), QStringList{kCall});
    first.reset();
    QCOMPARE(m_logind.Held(), 1);
    second.reset();
    QTRY_COMPARE(m_logind.Held(), 0);
}

void KeepAwakeTest::heldWhileTheRunIsFollowed_data() {
    QTest::addColumn<int>("stallAt");
    QTest::addColumn<int>("abortAt");
    QTest::addColumn<Turn>("turn");
    QTest::addColumn<RunOutcome>("outcome");
    QTest::newRow("finished") << 0 << 0 << Turn::None << RunOutcome::Finished;
    QTest::newRow("stalled") << 50 << 0 << Turn::None << RunOutcome::Stalled;
    QTest::newRow("ended by the camera") << 0 << 40 << Turn::None << RunOutcome::CameraStopped;
    QTest::newRow("camera lost") << 0 << 0 << Turn::CameraGone << RunOutcome::ConnectionLost;
    QTest::newRow("disconnected") << 0 << 0 << Turn::Disconnect << RunOutcome::Disconnected;
    QTest::newRow("stopped (Ctrl-C)") << 0 << 0 << Turn::Stop << RunOutcome::Interrupted;
}

void KeepAwakeTest::heldWhileTheRunIsFollowed() {
    QFETCH(int, stallAt);
    QFETCH(int, abortAt);
    QFETCH(Turn, turn);
    QFETCH(RunOutcome, outcome);
    kestrel::sim::SimOptions options;
    options.UseFastTiming();
    if (stallAt > 0)
        options.stallAtPercent = stallAt;
    if (abortAt > 0)
        options.abortAtPercent = abortAt;
    if (turn != Turn::None)
        options.eraseMs = 60000;
    auto sim = std::make_unique<kestrel::sim::SimThread>(options);
    QVERIFY(sim->Start());
    kestrel::RunSettings run;
    run.switchPauseMs = 1;
    run.pollIntervalMs = 20;
    run.stallTimeoutMs = 300;
    run.reconnectWindowMs = 400;
    run.reconnectPauseMs = 50;
    kestrel::test::RecordingSurface surface;
    const auto session = kestrel::test::SessionAt(surface, sim->Port(), run);
    session->OnBnClickedConnect();
    const qsizetype before = m_logind.Calls().size();

    int heldDuring = -1;
    int heldAtEnd = -1; // when the operator is told, or else after the run
    QObject::connect(&session->Run(), &FirmwareRun::figuresRead, [&] {
        if (heldDuring >= 0)
            return;
        heldDuring = m_logind.Held();
        QTimer::singleShot(0, [&] {
            if (turn == Turn::CameraGone)
                sim.reset();
            else if (turn == Turn::Disconnect)
                session->OnBnClickedConnect();
            else if (turn == Turn::Stop)
                session->Run().Stop();
        });
    });
    surface.onMessageBox = [&](const QString&) { heldAtEnd = m_logind.Held(); };
    QCOMPARE(session->Run().RunFirmwareUpdate(), outcome);
    if (heldAtEnd < 0)
        heldAtEnd = m_logind.Held();
    QCOMPARE(heldDuring, 1);
    QCOMPARE(heldAtEnd, 0);
    QCOMPARE(m_logind.Calls().mid(before), QStringList{kCall});
}

void KeepAwakeTest::heldWhileTheFilesAreWritten_data() {
    QTest::addColumn<bool>("secondThere");
    QTest::newRow("copied") << true;
    QTest::newRow("second file missing") << false;
}

void KeepAwakeTest::heldWhileTheFilesAreWritten() {
    QFETCH(bool, secondThere);
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    const QStringList sources{dir.filePath(QStringLiteral("a.rbf")),
                              dir.filePath(QStringLiteral("vx_server_1"))};
    for (const QString& source : sources.mid(0, secondThere ? 2 : 1)) {
        QFile file(source);
        QVERIFY(file.open(QIODevice::WriteOnly) && file.write(QByteArray(1 << 20, 'f')) > 0);
    }
    const qsizetype before = m_logind.Calls().size();
    int heldDuring = -1;
    QTimer::singleShot(0, [&] { heldDuring = m_logind.Held(); }); // served while the copy runs
    kestrel::StagingTask task(
        {dir.path(),
         {{sources[0], QStringLiteral("a.rbf"), QStringLiteral("firm.rbf")},
          {sources[1], QStringLiteral("vx_server_1"), QStringLiteral("vx_server")}}});
    QCOMPARE(task.Run([](const kestrel::StagingProgress&) {}).succeeded, secondThere);
    QCOMPARE(heldDuring, 1);
    QCOMPARE(m_logind.Calls().mid(before), QStringList{kCall});
    QTRY_COMPARE(m_logind.Held(), 0);
}

QTEST_GUILESS_MAIN(KeepAwakeTest)
#include "keep_awake_test.moc"
