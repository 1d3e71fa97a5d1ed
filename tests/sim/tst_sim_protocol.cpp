// The simulated camera's answers, byte for byte, over a real connection.

#include "line_client.h"
#include "sim_options.h"
#include "sim_session.h"
#include "sim_thread.h"

#include <QRegularExpression>
#include <QTest>

using kestrel::sim::ParseSimOptions;
using kestrel::sim::SimOptions;
using kestrel::sim::SimSession;
using kestrel::sim::SimThread;
using kestrel::sim::test::LineClient;
using kestrel::sim::test::SimRig;

class TestSimProtocol : public QObject {
    Q_OBJECT

private slots:
    void greeting();
    void reply_data();
    void reply();
    void identityOptions_data();
    void identityOptions();
    void closeKeepsConnectionOpen();
    void pipelinedCommands();
    void receivedLinesKeepBytes();
    void overlongCommandLine();
    void connectionsCounted();
    void cameraSharedByConnections();
    void startFailsOnBusyPort();
};

void TestSimProtocol::greeting() {
    SimRig rig;
    QVERIFY(rig.started);
    QVERIFY(rig.sim.Port() != 0);
    QVERIFY(rig.client.IsConnected());
    QCOMPARE(rig.client.ReadLine(), QByteArray("KESTREL VX CAMERA SERVER READY\r\n"));
}

void TestSimProtocol::reply_data() {
    QTest::addColumn<QByteArray>("command");
    QTest::addColumn<QByteArray>("reply");

    QTest::newRow("serial") << QByteArray("CAM_GETSERIALNUMBER")
                            << QByteArray("CAM_GETSERIALNUMBER 21040017\r\n");
    QTest::newRow("serial, mixed case")
        << QByteArray("cam_GetSerialNumber") << QByteArray("CAM_GETSERIALNUMBER 21040017\r\n");
    QTest::newRow("type") << QByteArray("CAM_GETCAMERATYPE")
                          << QByteArray("CAM_GETCAMERATYPE 7\r\n");
    QTest::newRow("color") << QByteArray("CAM_GETSENSORCOLOR")
                           << QByteArray("CAM_GETSENSORCOLOR 1\r\n");
    QTest::newRow("bayer") << QByteArray("CAM_GETSENSORBAYERTYPE")
                           << QByteArray("CAM_GETSENSORBAYERTYPE 2\r\n");
    QTest::newRow("6E80") << QByteArray("REG_READ 6E80") << QByteArray("1\r\n");
    QTest::newRow("6F80") << QByteArray("REG_READ 6F80") << QByteArray("2a\r\n");
    QTest::newRow("1F80") << QByteArray("REG_READ 1F80") << QByteArray("3f\r\n");
    QTest::newRow("1f80 lower case") << QByteArray("reg_read 1f80") << QByteArray("3f\r\n");
    QTest::newRow("server version")
        << QByteArray("GETSERVER_VERSION") << QByteArray("vx_server 3.8.2 build 1187\r\n");
    QTest::newRow("play stop") << QByteArray("CAM_PLAYSTOP") << QByteArray("OK\r\n");
    QTest::newRow("record stop") << QByteArray("CAM_FG_RECORDSTOP") << QByteArray("OK\r\n");
    QTest::newRow("live stop") << QByteArray("CAM_LIVESTOP") << QByteArray("OK\r\n");
    QTest::newRow("ssd play stop") << QByteArray("CAM_SSD_PLAYSTOP") << QByteArray("OK\r\n");
    QTest::newRow("close") << QByteArray("CLOSE") << QByteArray("OK\r\n");
    QTest::newRow("start update") << QByteArray("CAM_FIRMWAREUPDATE 0") << QByteArray("OK\r\n");
    QTest::newRow("status idle") << QByteArray("CAM_FIRMWAREUPDATE 1") << QByteArray("0 0 0 0\r\n");
    QTest::newRow("unknown") << QByteArray("CAM_REBOOT") << QByteArray("ERROR unknown command\r\n");
    QTest::newRow("empty line") << QByteArray("") << QByteArray("ERROR unknown command\r\n");
    QTest::newRow("other register")
        << QByteArray("REG_READ 1234") << QByteArray("ERROR unknown command\r\n");
    QTest::newRow("trailing blank")
        << QByteArray("CAM_GETSERIALNUMBER ") << QByteArray("ERROR unknown command\r\n");
    QTest::newRow("update 2") << QByteArray("CAM_FIRMWAREUPDATE 2")
                              << QByteArray("ERROR unknown command\r\n");
    QTest::newRow("control byte") << QByteArray("CLOSE\x01", 6)
                                  << QByteArray("ERROR unknown command\r\n");
}

void TestSimProtocol::reply() {
    QFETCH(QByteArray, command);
    QFETCH(QByteArray, reply);
    SimRig rig;
    QVERIFY(rig.started);
    QCOMPARE(rig.client.ReadLine(), QByteArray("KESTREL VX CAMERA SERVER READY\r\n"));
    QCOMPARE(rig.client.Command(command), reply);
    // Commands may also end with LF alone.
    rig.client.Send(command + '\n');
    QCOMPARE(rig.client.ReadLine(), reply);
}

void TestSimProtocol::identityOptions_data() {
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<QByteArray>("command");
    QTest::addColumn<QByteArray>("reply");

    QTest::newRow("serial") << QStringList{"--serial", "SN 0042 B"}
                            << QByteArray("CAM_GETSERIALNUMBER")
                            << QByteArray("CAM_GETSERIALNUMBER SN 0042 B\r\n");
    QTest::newRow("type") << QStringList{"--type", "11"} << QByteArray("CAM_GETCAMERATYPE")
                          << QByteArray("CAM_GETCAMERATYPE 11\r\n");
    QTest::newRow("negative type") << QStringList{"--type", "-4"} << QByteArray("CAM_GETCAMERATYPE")
                                   << QByteArray("CAM_GETCAMERATYPE -4\r\n");
    QTest::newRow("mono") << QStringList{"--mono"} << QByteArray("CAM_GETSENSORCOLOR")
                          << QByteArray("CAM_GETSENSORCOLOR 0\r\n");
    QTest::newRow("color") << QStringList{"--color"} << QByteArray("CAM_GETSENSORCOLOR")
                           << QByteArray("CAM_GETSENSORCOLOR 1\r\n");
    QTest::newRow("bayer") << QStringList{"--bayer", "3"} << QByteArray("CAM_GETSENSORBAYERTYPE")
                           << QByteArray("CAM_GETSENSORBAYERTYPE 3\r\n");
    QTest::newRow("hw version 1") << QStringList{"--hw-version", "0A.b.7"}
                                  << QByteArray("REG_READ 6E80") << QByteArray("0a\r\n");
    QTest::newRow("hw version 2") << QStringList{"--hw-version", "0A.b.7"}
                                  << QByteArray("REG_READ 6F80") << QByteArray("b\r\n");
    QTest::newRow("hw version 3") << QStringList{"--hw-version", "0A.b.7"}
                                  << QByteArray("REG_READ 1F80") << QByteArray("7\r\n");
    QTest::newRow("server version")
        << QStringList{"--server-version", "vx_server 4.0 Beta"} << QByteArray("GETSERVER_VERSION")
        << QByteArray("vx_server 4.0 Beta\r\n");
}

void TestSimProtocol::identityOptions() {
    QFETCH(QStringList, arguments);
    QFETCH(QByteArray, command);
    QFETCH(QByteArray, reply);
    const auto parsed = ParseSimOptions(QStringList{"kestrel-camera-sim"} + arguments);
    QVERIFY2(parsed.error.isEmpty(), qPrintable(parsed.error));
    SimRig rig{parsed.options};
    QVERIFY(rig.started);
    QCOMPARE(rig.client.ReadLine(), QByteArray("KESTREL VX CAMERA SERVER READY\r\n"));
    QCOMPARE(rig.client.Command(command), reply);
}

void TestSimProtocol::closeKeepsConnectionOpen() {
    SimRig rig;
    QVERIFY(rig.started);
    rig.client.ReadLine();
    QCOMPARE(rig.client.Command("CLOSE"), QByteArray("OK\r\n"));
    QCOMPARE(rig.client.Command("CAM_GETCAMERATYPE"), QByteArray("CAM_GETCAMERATYPE 7\r\n"));
    QVERIFY(rig.client.IsConnected());
    QCOMPARE(rig.sim.ConnectionsOpen(), 1);
}

void TestSimProtocol::pipelinedCommands() {
    SimRig rig;
    QVERIFY(rig.started);
    rig.client.ReadLine();
    rig.client.Send("REG_READ 6E80\r\nREG_READ 6F80\r\nREG_READ 1F80\r\n");
    QCOMPARE(rig.client.ReadLine(), QByteArray("1\r\n"));
    QCOMPARE(rig.client.ReadLine(), QByteArray("2a\r\n"));
    QCOMPARE(rig.client.ReadLine(), QByteArray("3f\r\n"));
}

void TestSimProtocol::receivedLinesKeepBytes() {
    SimRig rig;
    QVERIFY(rig.started);
    rig.client.ReadLine();
    rig.client.Send("cam_getSerialNumber\r\n");
    rig.client.Send("REG_READ 6E80\n");
    rig.client.Send(QByteArray("a\rb\0c\r\n", 7));
    rig.client.Send("CAM_GET");
    QVERIFY(rig.sim.WaitForReceivedLines(3, LineClient::kWaitMs));
    rig.client.Send("CAMERATYPE\r\n");
    QVERIFY(rig.sim.WaitForReceivedLines(4, LineClient::kWaitMs));
    const QList<QByteArray> expected{"cam_getSerialNumber", "REG_READ 6E80",
                                     QByteArray("a\rb\0c", 5), "CAM_GETCAMERATYPE"};
    QCOMPARE(rig.sim.ReceivedLines(), expected);
    // Four replies, the split command answered like any other.
    rig.client.ReadLine();
    rig.client.ReadLine();
    QCOMPARE(rig.client.ReadLine(), QByteArray("ERROR unknown command\r\n"));
    QCOMPARE(rig.client.ReadLine(), QByteArray("CAM_GETCAMERATYPE 7\r\n"));
    QVERIFY(!rig.sim.WaitForReceivedLines(5, 50));
}

void TestSimProtocol::overlongCommandLine() {
    SimRig rig;
    QVERIFY(rig.started);
    rig.client.ReadLine();
    rig.client.Send(QByteArray(SimSession::kMaxCommandBytes + 5000, 'A') + "\r\n");
    QCOMPARE(rig.client.ReadLine(), QByteArray("ERROR line too long\r\n"));
    QCOMPARE(rig.client.Command("REG_READ 6F80"), QByteArray("2a\r\n"));
    const QList<QByteArray> lines = rig.sim.ReceivedLines();
    QCOMPARE(lines.size(), 2);
    QCOMPARE(lines.at(0), QByteArray(SimSession::kMaxCommandBytes, 'A'));
    QCOMPARE(lines.at(1), QByteArray("REG_READ 6F80"));
}

void TestSimProtocol::connectionsCounted() {
    SimThread sim{SimOptions{}};
    QVERIFY(sim.Start());
    QCOMPARE(sim.ConnectionsAccepted(), 0);
    auto first = std::make_unique<LineClient>(sim.Port());
    LineClient second(sim.Port());
    QCOMPARE(first->ReadLine(), QByteArray("KESTREL VX CAMERA SERVER READY\r\n"));
    QCOMPARE(second.ReadLine(), QByteArray("KESTREL VX CAMERA SERVER READY\r\n"));
    QCOMPARE(sim.ConnectionsAccepted(), 2);
    QCOMPARE(sim.ConnectionsOpen(), 2);

    first->Send("CLOSE\r\n");
    QVERIFY(sim.WaitForReceivedLines(1, LineClient::kWaitMs));
    second.Send("REG_READ 6E80\r\n");
    QVERIFY(sim.WaitForReceivedLines(2, LineClient::kWaitMs));
    QCOMPARE(sim.ReceivedLines(), (QList<QByteArray>{"CLOSE", "REG_READ 6E80"}));

    first.reset();
    QVERIFY(QTest::qWaitFor([&] { return sim.ConnectionsOpen() == 1; }, LineClient::kWaitMs));
    QCOMPARE(sim.ConnectionsAccepted(), 2);
    QCOMPARE(second.ReadLine(), QByteArray("1\r\n"));
}

void TestSimProtocol::cameraSharedByConnections() {
    SimThread sim{SimOptions{}};
    QVERIFY(sim.Start());
    LineClient starter(sim.Port());
    LineClient watcher(sim.Port());
    starter.ReadLine();
    watcher.ReadLine();
    QCOMPARE(watcher.Ask("CAM_FIRMWAREUPDATE 1"), QByteArray("0 0 0 0"));
    QCOMPARE(starter.Ask("CAM_FIRMWAREUPDATE 0"), QByteArray("OK"));
    // The default erase phase lasts 20 s: the watcher sees it going on.
    const QByteArray status = watcher.Ask("CAM_FIRMWAREUPDATE 1");
    QVERIFY2(QRegularExpression("^1 155 [0-9]+ 0 0$").match(QString::fromLatin1(status)).hasMatch(),
             status.constData());
}

void TestSimProtocol::startFailsOnBusyPort() {
    SimThread first{SimOptions{}};
    QVERIFY(first.Start());
    SimThread second{SimOptions{}};
    QVERIFY(!second.Start(QHostAddress(QHostAddress::LocalHost), first.Port()));
    QVERIFY(!second.ErrorString().isEmpty());
    QCOMPARE(second.Port(), quint16(0));
    QVERIFY(!first.Start()); // only once
}

QTEST_MAIN(TestSimProtocol)
#include "tst_sim_protocol.moc"
