// The run and the copy keep the machine awake. logind's manager stands in on
// a bus of the test's own, in a thread of its own so that it answers while
// the code under test waits for it: each Inhibit is recorded and given a
// pipe's write end, whose read end tells whether the holder has let go.

#include "camera.h"
#include "keep_awake.h"
#include "recording_surface.h"
#include "session_rig.h"
#include "sim_thread.h"
#include "staging_task.h"

#include <QDBusConnection>
#include <QDBusContext>
#include <QDBusMessage>
#include <QDBusUnixFileDescriptor>
#include <QFile>
#include <QMutex>
#include <QProcess>
#include <QRegularExpression>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>
#include <QThread>
#include <QTimer>

#include <fcntl.h>
#include <optional>
#include <poll.h>
#include <thread>
#include <unistd.h>

using kestrel::KeepAwake;
using kestrel::RunOutcome;

namespace {

enum class Turn { None, Stall, Abort, CameraGone, Disconnect, Stop };
const QString kCall =
    QStringLiteral("sleep:idle|keep_awake_test|Camera firmware programming in progress|block");

} // namespace

Q_DECLARE_METATYPE(Turn)
Q_DECLARE_METATYPE(RunOutcome)

class Logind : public QObject, protected QDBusContext {
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "org.freedesktop.login1.Manager")
public:
    ~Logind() override {
        for (const int end : m_ends)
            ::close(end);
        for (const Waiting& held : m_held)
            ::close(held.writeEnd);
    }
    QStringList Calls() {
        const QMutexLocker lock(&m_mutex);
        return m_calls;
    }
    int Held() { // ends handed out, or held back, that are open somewhere
        const QMutexLocker lock(&m_mutex);
        int held = 0;
        for (const int end : m_ends) {
            pollfd read{end, POLLIN, 0};
            held += ::poll(&read, 1, 0) == 0 ? 1 : 0;
        }
        return held;
    }
    // Answers wait until Answer(), or go at once.
    void HoldAnswers(bool hold) {
        const QMutexLocker lock(&m_mutex);
        m_hold = hold;
    }
    // Sends the answers held back; from any thread.
    void Answer() {
        QMetaObject::invokeMethod(this, [this] {
            const QMutexLocker lock(&m_mutex);
            for (const Waiting& held : std::as_const(m_held)) {
                const QDBusUnixFileDescriptor handed(held.writeEnd); // a copy, sent with it
                ::close(held.writeEnd);
                held.bus.send(held.call.createReply(QVariant::fromValue(handed)));
            }
            m_held.clear();
        });
    }

public slots:
    QDBusUnixFileDescriptor Inhibit(const QString& what, const QString& who, const QString& why,
                                    const QString& mode) {
        int ends[2] = {-1, -1};
        if (::pipe2(ends, O_CLOEXEC) != 0)
            return {};
        const QMutexLocker lock(&m_mutex);
        m_calls << QStringList{what, who, why, mode}.join(QLatin1Char('|'));
        m_ends << ends[0];
        if (m_hold) {
            setDelayedReply(true);
            m_held.append({connection(), message(), ends[1]});
            return {};
        }
        const QDBusUnixFileDescriptor handed(ends[1]); // a copy, sent with the reply
        ::close(ends[1]);
        return handed;
    }

private:
    struct Waiting {
        QDBusConnection bus;
        QDBusMessage call;
        int writeEnd;
    };
    QMutex m_mutex;
    QStringList m_calls;
    QList<int> m_ends;
    bool m_hold = false;
    QList<Waiting> m_held;
};

class KeepAwakeTest : public QObject {
    Q_OBJECT
private slots:
    void initTestCase();
    void withoutLogindNothingIsSaid();
    void oneLockForEveryHolder();
    void lockComingTooLateIsLetGo();
    void heldWhileTheRunIsFollowed_data();
    void heldWhileTheRunIsFollowed();
    void heldWhileTheFilesAreWritten_data();
    void heldWhileTheFilesAreWritten();
    void cleanupTestCase();

private:
    QProcess m_bus;
    QThread m_thread;
    Logind m_logind;
};

void KeepAwakeTest::initTestCase() {
    m_bus.start(QStringLiteral("dbus-daemon"), {"--session", "--print-address", "--nofork"});
    QTRY_VERIFY_WITH_TIMEOUT(m_bus.canReadLine(), 10000);
    QVERIFY(qputenv("DBUS_SYSTEM_BUS_ADDRESS", m_bus.readLine().trimmed()));
    m_logind.moveToThread(&m_thread);
    m_thread.start();
}

void KeepAwakeTest::withoutLogindNothingIsSaid() {
    QTest::failOnWarning(QRegularExpression(QStringLiteral(".*")));
    {
        const KeepAwake awake;
        QTRY_VERIFY(awake.Answered());
        QVERIFY(!awake.Granted());
    }
    QDBusConnection bus =
        QDBusConnection::connectToBus(qEnvironmentVariable("DBUS_SYSTEM_BUS_ADDRESS"), "logind");
    QVERIFY(
        bus.registerObject("/org/freedesktop/login1", &m_logind, QDBusConnection::ExportAllSlots));
    QVERIFY(bus.registerService("org.freedesktop.login1"));
}

void KeepAwakeTest::oneLockForEveryHolder() {
    std::optional<KeepAwake> first(std::in_place);
    QVERIFY(!first->Answered()); // nothing waits for the answer
    QTRY_VERIFY(first->Granted());
    std::optional<KeepAwake> second;
    std::thread([&second] { second.emplace(); }).join();
    QVERIFY(second->Granted());
    QCOMPARE(m_logind.Calls(), QStringList{kCall});
    first.reset();
    QCOMPARE(m_logind.Held(), 1);
    second.reset();
    QTRY_COMPARE(m_logind.Held(), 0);
}

void KeepAwakeTest::lockComingTooLateIsLetGo() {
    m_logind.HoldAnswers(true);
    const qsizetype before = m_logind.Calls().size();
    std::optional<KeepAwake> awake(std::in_place);
    QTRY_COMPARE(m_logind.Calls().size(), before + 1);
    awake.reset();
    {
        const KeepAwake again; // while the first answer is still to come: no second call
        QVERIFY(!again.Answered());
    }
    m_logind.Answer();
    QTRY_COMPARE(m_logind.Held(), 0); // the lock came after every holder had gone
    m_logind.HoldAnswers(false);
    // The next holder asks again, and holds what comes.
    awake.emplace();
    QTRY_VERIFY(awake->Granted());
    QCOMPARE(m_logind.Calls().size(), before + 2);
    QCOMPARE(m_logind.Held(), 1);
    awake.reset();
    QTRY_COMPARE(m_logind.Held(), 0);
}

void KeepAwakeTest::heldWhileTheRunIsFollowed_data() {
    QTest::addColumn<Turn>("turn"); // what happens to the run
    QTest::addColumn<RunOutcome>("outcome");
    QTest::newRow("finished") << Turn::None << RunOutcome::Finished;
    QTest::newRow("stalled") << Turn::Stall << RunOutcome::Stalled;
    QTest::newRow("ended by the camera") << Turn::Abort << RunOutcome::CameraStopped;
    QTest::newRow("camera lost") << Turn::CameraGone << RunOutcome::ConnectionLost;
    QTest::newRow("disconnected") << Turn::Disconnect << RunOutcome::Disconnected;
    QTest::newRow("stopped (Ctrl-C)") << Turn::Stop << RunOutcome::Interrupted;
}

void KeepAwakeTest::heldWhileTheRunIsFollowed() {
    QFETCH(Turn, turn);
    QFETCH(RunOutcome, outcome);
    kestrel::sim::SimOptions options;
    options.UseFastTiming();
    if (turn == Turn::Stall)
        options.stallAtPercent = 50;
    if (turn == Turn::Abort)
        options.abortAtPercent = 40;
    if (turn > Turn::Abort) // the operator's or the network's turn comes first
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
    kestrel::test::ClickConnect(*session, surface);
    const qsizetype before = m_logind.Calls().size();

    int heldDuring = -1;
    int heldAtEnd = -1; // when the operator is told, or else after the run
    QObject::connect(&session->TheCamera(), &kestrel::Camera::figuresRead, [&] {
        // The lock is asked for without waiting: the turn comes once it is held.
        if (heldDuring < 0 && m_logind.Held() == 1) {
            heldDuring = 1;
            QTimer::singleShot(0, [&] {
                if (turn == Turn::CameraGone)
                    sim.reset();
                if (turn == Turn::Disconnect)
                    session->Connect(surface.address);
                if (turn == Turn::Stop)
                    session->TheCamera().Stop();
            });
        }
    });
    surface.onMessageBox = [&](const QString&) { heldAtEnd = m_logind.Held(); };
    QCOMPARE(kestrel::test::ClickUpdate(*session), outcome);
    QCOMPARE(heldDuring, 1);
    if (heldAtEnd < 0) // no message: let go with the run's end, the reply's copy with its turn
        QTRY_COMPARE(m_logind.Held(), 0);
    else
        QCOMPARE(heldAtEnd, 0);
    QCOMPARE(m_logind.Calls().mid(before), QStringList{kCall});
}

void KeepAwakeTest::heldWhileTheFilesAreWritten_data() {
    QTest::addColumn<bool>("copied");
    QTest::newRow("copied") << true;
    // The second file is missing: the copy fails, the lock goes all the same.
    QTest::newRow("failed") << false;
}

void KeepAwakeTest::heldWhileTheFilesAreWritten() {
    QFETCH(bool, copied);
    QTemporaryDir dir;
    QFile source(dir.filePath(QStringLiteral("a.rbf")));
    QVERIFY(source.open(QIODevice::WriteOnly) && source.write(QByteArray(32 << 20, 'f')) > 0);
    source.close();
    if (copied)
        QVERIFY(QFile::copy(source.fileName(), dir.filePath(QStringLiteral("vx_server_1"))));
    const qsizetype before = m_logind.Calls().size();
    kestrel::StagingTask task({dir.path(),
                               {{source.fileName(), "a.rbf", "firm.rbf"},
                                {dir.filePath("vx_server_1"), "vx_server_1", "vx_server"}}});
    QSignalSpy finished(&task, &kestrel::StagingTask::finished);
    task.Start();
    QTRY_COMPARE(m_logind.Calls().mid(before), QStringList{kCall});
    if (copied) {
        QTRY_COMPARE(m_logind.Held(), 1);
        QVERIFY(finished.isEmpty()); // held while the files are written
    }
    QVERIFY(finished.size() == 1 || finished.wait(60000));
    QCOMPARE(qvariant_cast<kestrel::StagingOutcome>(finished.first().first()).succeeded, copied);
    QTRY_COMPARE(m_logind.Held(), 0);
}

void KeepAwakeTest::cleanupTestCase() {
    QDBusConnection::disconnectFromBus(QStringLiteral("logind"));
    m_thread.quit();
    m_thread.wait();
    m_bus.terminate();
    m_bus.waitForFinished();
}

QTEST_GUILESS_MAIN(KeepAwakeTest)
#include "keep_awake_test.moc"
