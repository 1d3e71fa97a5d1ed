// The operator's power cycle after a finished run (--power-cycle-after): the
// camera drops its connections, refuses new ones while off, and comes back on
// the same port with the new version.

#include "camera_sim_server.h"
#include "line_client.h"
#include "sim_options.h"
#include "sim_thread.h"

#include <QSignalSpy>
#include <QTcpServer>
#include <QTest>

#include <memory>

#ifdef Q_OS_UNIX
#include <cerrno>
#include <poll.h>
#include <sys/socket.h>
#endif

using kestrel::sim::CameraSimServer;
using kestrel::sim::ParseSimOptions;
using kestrel::sim::PowerCycle;
using kestrel::sim::SimOptions;
using kestrel::sim::test::LineClient;
using kestrel::sim::test::SimRig;

namespace {

constexpr int kWaitMs = LineClient::kWaitMs;
constexpr int kRunWaitMs = 10000;
// Longer than --power-cycle-after 200 with room to spare: a power cycle that
// was coming would have dropped the connection by then.
constexpr int kNoCycleMs = 700;

const QByteArray kGreeting = "KESTREL VX CAMERA SERVER READY\r\n";

SimOptions FastCycleOptions() {
    SimOptions options;
    options.UseFastTiming();
    options.powerCycleAfterMs = 200;
    options.powerOffMs = 500;
    return options;
}

// A camera whose run is already going when it starts, and which is
// power-cycled, off for offMs, as soon as that run has finished.
SimOptions CycleRightAway(int offMs) {
    SimOptions options = FastCycleOptions();
    options.runInProgress = true;
    options.powerCycleAfterMs = 0;
    options.powerOffMs = offMs;
    return options;
}

QByteArray HwVersion(LineClient& client) {
    return client.Ask("REG_READ 6E80") + '.' + client.Ask("REG_READ 6F80") + '.' +
           client.Ask("REG_READ 1F80");
}

// Polls the status about every 10 ms until it is reply.
bool PollStatusUntil(LineClient& client, const QByteArray& reply) {
    return QTest::qWaitFor([&] { return client.Ask("CAM_FIRMWAREUPDATE 1") == reply; }, kRunWaitMs);
}

// A connection made to a port nobody listens on can meet itself (TCP
// simultaneous open) when the system picks that very port for its own end.
bool SelfConnected(const QTcpSocket& socket) {
    return socket.state() == QAbstractSocket::ConnectedState &&
           socket.localPort() == socket.peerPort();
}

// A new connection to the camera once it is back, the greeting read; null
// when none could be had in time.
std::unique_ptr<LineClient> ConnectWhenBack(quint16 port) {
    std::unique_ptr<LineClient> client;
    const bool connected = QTest::qWaitFor(
        [&] {
            client = std::make_unique<LineClient>(port);
            return client->IsConnected() && !SelfConnected(client->socket);
        },
        kWaitMs);
    if (!connected || client->ReadLine() != kGreeting) {
        return nullptr;
    }
    return client;
}

#ifdef Q_OS_UNIX
// Waits, without Qt reading the socket, until the peer ends the connection;
// true when it reset it rather than closing it in order.
bool EndsWithReset(const QTcpSocket& socket) {
    pollfd entry{static_cast<int>(socket.socketDescriptor()), POLLIN, 0};
    if (::poll(&entry, 1, kWaitMs) != 1) {
        return false;
    }
    char byte = 0;
    return ::recv(entry.fd, &byte, 1, MSG_PEEK) < 0 && errno == ECONNRESET;
}
#endif

} // namespace

class TestSimPowerCycle : public QObject {
    Q_OBJECT

private slots:
    void afterFinishedRun();
    void powerOffLosesRun();
    void noPowerCycle_data();
    void noPowerCycle();
    void runInProgressNotRestarted();
    void keepsTryingToListen();
    void portKeptWhileOff();
};

void TestSimPowerCycle::afterFinishedRun() {
    SimRig rig{FastCycleOptions()};
    QVERIFY(rig.started);
    const quint16 port = rig.sim.Port();
    QCOMPARE(rig.client.ReadLine(), kGreeting);
    QCOMPARE(rig.client.Ask("CAM_FIRMWAREUPDATE 0"), QByteArray("OK"));
    // Finished, and still on: the connection that saw the end is dropped
    // only afterwards.
    QVERIFY(PollStatusUntil(rig.client, "0 0 0 0"));

#ifdef Q_OS_UNIX
    QVERIFY2(EndsWithReset(rig.client.socket), "the connection did not end with a reset");
#endif
    bool closed = false;
    QCOMPARE(rig.client.ReadUntilClosed(&closed), QByteArray());
    QVERIFY(closed);
    QTRY_COMPARE_WITH_TIMEOUT(rig.sim.ConnectionsOpen(), 0, kWaitMs);

    // Off: refused, not accepted and left silent.
    QTcpSocket probe;
    probe.connectToHost(QHostAddress(QHostAddress::LocalHost), port);
    if (!probe.waitForConnected(kWaitMs) || !SelfConnected(probe)) {
        QCOMPARE(probe.error(), QAbstractSocket::ConnectionRefusedError);
    }
    probe.abort();

    const std::unique_ptr<LineClient> back = ConnectWhenBack(port);
    QVERIFY(back);
    QCOMPARE(rig.sim.Port(), port);
    QCOMPARE(rig.sim.ConnectionsAccepted(), 2);
    QCOMPARE(back->Ask("REG_READ 6F80"), QByteArray("2b"));
    QCOMPARE(back->Ask("CAM_FIRMWAREUPDATE 1"), QByteArray("0 0 0 0"));

    // Once per run: the camera stays on.
    QVERIFY(back->SilentFor(kNoCycleMs));
    QCOMPARE(HwVersion(*back), QByteArray("1.2b.05"));
    QVERIFY(back->IsConnected());
    QCOMPARE(rig.sim.ConnectionsOpen(), 1);
}

void TestSimPowerCycle::powerOffLosesRun() {
    SimRig rig{FastCycleOptions()};
    QVERIFY(rig.started);
    QCOMPARE(rig.client.ReadLine(), kGreeting);
    QCOMPARE(rig.client.Ask("CAM_FIRMWAREUPDATE 0"), QByteArray("OK"));
    QVERIFY(PollStatusUntil(rig.client, "0 0 0 0"));
    // A second run, started before the power goes; it would still be
    // programming when the camera is back.
    QCOMPARE(rig.client.Ask("CAM_FIRMWAREUPDATE 0"), QByteArray("OK"));
    QVERIFY(rig.client.Ask("CAM_FIRMWAREUPDATE 1").startsWith("1 155 "));
    bool closed = false;
    rig.client.ReadUntilClosed(&closed);
    QVERIFY(closed);

    const std::unique_ptr<LineClient> back = ConnectWhenBack(rig.sim.Port());
    QVERIFY(back);
    QCOMPARE(back->Ask("CAM_FIRMWAREUPDATE 1"), QByteArray("0 0 0 0"));
    QCOMPARE(HwVersion(*back), QByteArray("1.2b.05"));
    QVERIFY(back->SilentFor(kNoCycleMs));
    QVERIFY(back->IsConnected());
    QCOMPARE(back->Ask("CAM_FIRMWAREUPDATE 1"), QByteArray("0 0 0 0"));
}

void TestSimPowerCycle::noPowerCycle_data() {
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<QByteArray>("until"); // the status at which the run is over
    QTest::addColumn<QByteArray>("version");

    const QStringList cycle{"--fast", "--power-cycle-after", "200", "--power-off-ms", "500"};
    QTest::newRow("aborted run") << cycle + QStringList{"--abort-at", "50"} << QByteArray("0 0 0 0")
                                 << QByteArray("1.2a.3f");
    QTest::newRow("stalled run") << cycle + QStringList{"--stall-at", "50"}
                                 << QByteArray("1 155 155 20000 10000") << QByteArray("1.2a.3f");
    QTest::newRow("no power cycle asked")
        << QStringList{"--fast"} << QByteArray("0 0 0 0") << QByteArray("1.2b.05");
}

void TestSimPowerCycle::noPowerCycle() {
    QFETCH(QStringList, arguments);
    QFETCH(QByteArray, until);
    QFETCH(QByteArray, version);
    const auto parsed = ParseSimOptions(QStringList{"kestrel-camera-sim"} + arguments);
    QCOMPARE(parsed.error, QString());
    SimRig rig{parsed.options};
    QVERIFY(rig.started);
    QCOMPARE(rig.client.ReadLine(), kGreeting);
    QCOMPARE(rig.client.Ask("CAM_FIRMWAREUPDATE 0"), QByteArray("OK"));
    QVERIFY(PollStatusUntil(rig.client, until));
    QVERIFY(rig.client.SilentFor(kNoCycleMs));
    QCOMPARE(HwVersion(rig.client), version);
    QVERIFY(rig.client.IsConnected());
    QCOMPARE(rig.sim.ConnectionsOpen(), 1);
    LineClient another(rig.sim.Port());
    QVERIFY(another.IsConnected());
    QCOMPARE(another.ReadLine(), kGreeting);
}

void TestSimPowerCycle::runInProgressNotRestarted() {
    CameraSimServer server(CycleRightAway(200));
    QSignalSpy power(&server, &CameraSimServer::PowerChanged);
    QSignalSpy runs(&server, &CameraSimServer::RunPhaseChanged);
    QVERIFY(server.Listen(QHostAddress(QHostAddress::LocalHost), 0));
    const quint16 port = server.Port();
    QVERIFY(port != 0);

    QTRY_VERIFY_WITH_TIMEOUT(!power.isEmpty(), kRunWaitMs);
    QCOMPARE(power.at(0).at(0).toString(), QString("power cycle: camera off for 200 ms"));
    QCOMPARE(server.Port(), port);
    QTRY_COMPARE_WITH_TIMEOUT(power.count(), 2, kWaitMs);
    QCOMPARE(power.at(1).at(0).toString(),
             QString("power cycle: camera back, hardware version now 1.2b.05"));
    QCOMPARE(server.Port(), port);

    // A run restarted on coming back would have said so at once.
    QStringList texts;
    for (const QList<QVariant>& arguments : runs) {
        texts << arguments.at(0).toString();
    }
    QCOMPARE(texts.filter("run: erasing").size(), 1);
    QCOMPARE(texts.last(), QString("run: finished, hardware version now 1.2b.05"));
}

void TestSimPowerCycle::keepsTryingToListen() {
    CameraSimServer server(CycleRightAway(300));
    QSignalSpy power(&server, &CameraSimServer::PowerChanged);
    QSignalSpy notes(&server, &CameraSimServer::Note);
    QVERIFY(server.Listen(QHostAddress(QHostAddress::LocalHost), 0));
    const quint16 port = server.Port();

    // Someone else takes the port as soon as the camera has let it go, long
    // before the camera tries to come back.
    QTcpServer holder;
    connect(
        &server, &CameraSimServer::PowerChanged, &holder,
        [&] {
            if (power.count() == 1) {
                holder.listen(QHostAddress(QHostAddress::LocalHost), port);
            }
        },
        Qt::QueuedConnection);
    QTRY_COMPARE_WITH_TIMEOUT(notes.count(), 1, kRunWaitMs);
    QVERIFY(holder.isListening());
    QCOMPARE(power.count(), 1);
    QCOMPARE(notes.at(0).at(0).toInt(), 0);
    const QString note = notes.at(0).at(1).toString();
    QVERIFY2(
        note.startsWith(
            QStringLiteral("power cycle: cannot listen again on 127.0.0.1 port %1: ").arg(port)),
        qPrintable(note));
    QVERIFY2(note.endsWith("; trying again every 1 s"), qPrintable(note));

    // Past a retry: still off, and the trouble said once.
    QTRY_VERIFY_WITH_TIMEOUT(server.PowerOnAttempts() >= 2, 3 * PowerCycle::kRetryMs);
    QCOMPARE(power.count(), 1);
    QCOMPARE(notes.count(), 1);

    holder.close();
    QTRY_COMPARE_WITH_TIMEOUT(power.count(), 2, 2500);
    QCOMPARE(power.at(1).at(0).toString(),
             QString("power cycle: camera back, hardware version now 1.2b.05"));
    QCOMPARE(server.Port(), port);
    LineClient client(port);
    QVERIFY(client.IsConnected());
}

void TestSimPowerCycle::portKeptWhileOff() {
    CameraSimServer server(CycleRightAway(300));
    QSignalSpy power(&server, &CameraSimServer::PowerChanged);
    QVERIFY(server.Listen(QHostAddress(QHostAddress::LocalHost), 0));
    const quint16 port = server.Port();

    // While the camera is off, its port is not free for another socket: the
    // system hands it to no one who asks for any free port, and the camera
    // finds it again when it comes back.
    bool checkedWhileOff = false;
    bool takenWhileOff = true;
    connect(
        &server, &CameraSimServer::PowerChanged, this,
        [&] {
            if (power.count() != 1) {
                return;
            }
            QTcpSocket other;
            takenWhileOff = other.bind(QHostAddress(QHostAddress::LocalHost), port,
                                       QAbstractSocket::DontShareAddress);
            checkedWhileOff = power.count() == 1;
        },
        Qt::QueuedConnection);
    QTRY_COMPARE_WITH_TIMEOUT(power.count(), 2, kRunWaitMs);
    QVERIFY(checkedWhileOff);
    QVERIFY(!takenWhileOff);
    QCOMPARE(server.Port(), port);
    LineClient client(port);
    QVERIFY(client.IsConnected());
}

QTEST_MAIN(TestSimPowerCycle)
#include "tst_sim_power_cycle.moc"
