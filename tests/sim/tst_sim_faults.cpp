// The fault options of the simulated camera, each on a real connection.

#include "line_client.h"
#include "sim_options.h"
#include "sim_thread.h"

#include <QElapsedTimer>
#include <QTest>

using kestrel::sim::FixedReply;
using kestrel::sim::SimOptions;
using kestrel::sim::SimThread;
using kestrel::sim::test::LineClient;
using kestrel::sim::test::SimRig;

namespace {

const QByteArray kGreeting = "KESTREL VX CAMERA SERVER READY\r\n";
const QByteArray kSerialReply = "CAM_GETSERIALNUMBER 21040017\r\n";

} // namespace

class TestSimFaults : public QObject {
    Q_OBJECT

private slots:
    void closeAfter();
    void closeAfterZero();
    void closeMidReply();
    void stopAnsweringAfter();
    void noGreeting();
    void slowBytes();
    void garbageAt();
    void overlongAt();
    void overlongLength();
    void bareLf();
    void fixedReplyWithZeroByte();
    void fixedReplyLastOneCounts();
    void fixedReplyKeepsCommandEffect();
    void countersPerConnection();
};

void TestSimFaults::closeAfter() {
    SimOptions options;
    options.closeAfter = 2;
    SimRig rig{options};
    QVERIFY(rig.started);
    QCOMPARE(rig.client.ReadLine(), kGreeting);
    QCOMPARE(rig.client.Command("CAM_GETSERIALNUMBER"), kSerialReply);
    QCOMPARE(rig.client.Command("REG_READ 6E80"), QByteArray("1\r\n"));
    rig.client.Send("REG_READ 6F80\r\n");
    bool closed = false;
    QCOMPARE(rig.client.ReadUntilClosed(&closed), QByteArray());
    QVERIFY(closed);
    QVERIFY(rig.sim.WaitForReceivedLines(3, LineClient::kWaitMs));
    QCOMPARE(rig.sim.ReceivedLines().last(), QByteArray("REG_READ 6F80"));
    QVERIFY(QTest::qWaitFor([&] { return rig.sim.ConnectionsOpen() == 0; }, LineClient::kWaitMs));
}

void TestSimFaults::closeAfterZero() {
    SimOptions options;
    options.closeAfter = 0;
    SimRig rig{options};
    QVERIFY(rig.started);
    QCOMPARE(rig.client.ReadLine(), kGreeting);
    rig.client.Send("CAM_GETSERIALNUMBER\r\n");
    bool closed = false;
    QCOMPARE(rig.client.ReadUntilClosed(&closed), QByteArray());
    QVERIFY(closed);
}

void TestSimFaults::closeMidReply() {
    SimOptions options;
    options.closeMidReplyAt = 2;
    SimRig rig{options};
    QVERIFY(rig.started);
    QCOMPARE(rig.client.ReadLine(), kGreeting);
    QCOMPARE(rig.client.Command("REG_READ 6E80"), QByteArray("1\r\n"));
    // "CAM_GETSERIALNUMBER 21040017" has 28 bytes: the first 14 come.
    rig.client.Send("CAM_GETSERIALNUMBER\r\n");
    bool closed = false;
    QCOMPARE(rig.client.ReadUntilClosed(&closed), QByteArray("CAM_GETSERIALN"));
    QVERIFY(closed);
}

void TestSimFaults::stopAnsweringAfter() {
    SimOptions options;
    options.stopAnsweringAfter = 1;
    SimRig rig{options};
    QVERIFY(rig.started);
    QCOMPARE(rig.client.ReadLine(), kGreeting);
    QCOMPARE(rig.client.Command("CAM_GETSERIALNUMBER"), kSerialReply);
    rig.client.Send("CAM_FIRMWAREUPDATE 1\r\nCAM_GETCAMERATYPE\r\n");
    QVERIFY(rig.sim.WaitForReceivedLines(3, LineClient::kWaitMs));
    QCOMPARE(
        rig.sim.ReceivedLines(),
        (QList<QByteArray>{"CAM_GETSERIALNUMBER", "CAM_FIRMWAREUPDATE 1", "CAM_GETCAMERATYPE"}));
    QVERIFY(rig.client.SilentFor(300));
    QVERIFY(rig.client.IsConnected());
    QCOMPARE(rig.sim.ConnectionsOpen(), 1);
}

void TestSimFaults::noGreeting() {
    SimOptions options;
    options.noGreeting = true;
    SimRig rig{options};
    QVERIFY(rig.started);
    QVERIFY(rig.client.SilentFor(200));
    // The first bytes on the connection are the first reply.
    QCOMPARE(rig.client.Command("CAM_GETSERIALNUMBER"), kSerialReply);
}

void TestSimFaults::slowBytes() {
    SimOptions options;
    options.slowBytesMs = 40;
    options.greeting = "HI";
    QElapsedTimer clock;
    clock.start();
    SimRig rig{options};
    QVERIFY(rig.started);
    QByteArray greeting;
    int pieces = 0;
    while (greeting.size() < 4 && rig.client.socket.waitForReadyRead(LineClient::kWaitMs)) {
        greeting += rig.client.socket.readAll();
        ++pieces;
    }
    QCOMPARE(greeting, QByteArray("HI\r\n"));
    QVERIFY2(clock.elapsed() >= 3 * 40, "four bytes came faster than 40 ms apart");
    QVERIFY2(pieces >= 2, "the bytes came all at once");

    clock.restart();
    QCOMPARE(rig.client.Command("REG_READ 6F80"), QByteArray("2a\r\n"));
    QVERIFY(clock.elapsed() >= 3 * 40);
}

void TestSimFaults::garbageAt() {
    SimOptions options;
    options.garbageAt = 2;
    SimRig rig{options};
    QVERIFY(rig.started);
    QCOMPARE(rig.client.ReadLine(), kGreeting);
    QCOMPARE(rig.client.Command("CAM_GETSERIALNUMBER"), kSerialReply);
    const QByteArray garbage = rig.client.Command("CAM_GETSERIALNUMBER");
    QVERIFY(garbage != kSerialReply);
    QVERIFY(garbage.endsWith("\r\n"));
    const QByteArray text = garbage.chopped(2);
    QVERIFY(text.size() >= 12 && text.size() <= 40);
    for (const char c : text) {
        QVERIFY2(c >= 0x21 && c <= 0x7e, garbage.constData());
    }
    QCOMPARE(rig.client.Command("CAM_GETSERIALNUMBER"), kSerialReply);
}

void TestSimFaults::overlongAt() {
    SimOptions options;
    options.overlongAt = 1;
    SimRig rig{options};
    QVERIFY(rig.started);
    QCOMPARE(rig.client.ReadLine(), kGreeting);
    QCOMPARE(rig.client.Command("CAM_GETSERIALNUMBER"), QByteArray(10000, 'X') + "\r\n");
    QCOMPARE(rig.client.Command("CAM_GETSERIALNUMBER"), kSerialReply);
}

void TestSimFaults::overlongLength() {
    SimOptions options;
    options.overlongAt = 2;
    options.overlongLength = 25;
    SimRig rig{options};
    QVERIFY(rig.started);
    QCOMPARE(rig.client.ReadLine(), kGreeting);
    QCOMPARE(rig.client.Command("REG_READ 6E80"), QByteArray("1\r\n"));
    QCOMPARE(rig.client.Command("REG_READ 6E80"), QByteArray(25, 'X') + "\r\n");
}

void TestSimFaults::bareLf() {
    SimOptions options;
    options.bareLf = true;
    SimRig rig{options};
    QVERIFY(rig.started);
    QCOMPARE(rig.client.ReadLine(), QByteArray("KESTREL VX CAMERA SERVER READY\n"));
    QCOMPARE(rig.client.Command("CAM_GETSERIALNUMBER"),
             QByteArray("CAM_GETSERIALNUMBER 21040017\n"));
    QCOMPARE(rig.client.Command("CAM_FIRMWAREUPDATE 1"), QByteArray("0 0 0 0\n"));
}

void TestSimFaults::fixedReplyWithZeroByte() {
    SimOptions options;
    options.fixedReplies.append(FixedReply{"CAM_GETSERIALNUMBER", QByteArray("SN 12\0"
                                                                             "34",
                                                                             8)});
    SimRig rig{options};
    QVERIFY(rig.started);
    QCOMPARE(rig.client.ReadLine(), kGreeting);
    QCOMPARE(rig.client.Command("cam_getserialnumber"), QByteArray("SN 12\0"
                                                                   "34\r\n",
                                                                   10));
    // Other commands keep their own answers.
    QCOMPARE(rig.client.Command("CAM_GETCAMERATYPE"), QByteArray("CAM_GETCAMERATYPE 7\r\n"));
}

void TestSimFaults::fixedReplyLastOneCounts() {
    SimOptions options;
    options.bareLf = true;
    options.fixedReplies.append(FixedReply{"reg_read 6e80", "first"});
    options.fixedReplies.append(FixedReply{"REG_READ 6E80", "second\r"});
    SimRig rig{options};
    QVERIFY(rig.started);
    rig.client.ReadLine();
    QCOMPARE(rig.client.Command("REG_READ 6E80"), QByteArray("second\r\n"));
}

void TestSimFaults::fixedReplyKeepsCommandEffect() {
    SimOptions options;
    options.fixedReplies.append(FixedReply{"CAM_FIRMWAREUPDATE 0", "ERROR busy"});
    SimRig rig{options};
    QVERIFY(rig.started);
    rig.client.ReadLine();
    QCOMPARE(rig.client.Command("CAM_FIRMWAREUPDATE 0"), QByteArray("ERROR busy\r\n"));
    QVERIFY(rig.client.Ask("CAM_FIRMWAREUPDATE 1").startsWith("1 155 "));
}

void TestSimFaults::countersPerConnection() {
    SimOptions options;
    options.garbageAt = 1;
    options.closeAfter = 1;
    SimThread sim{options};
    QVERIFY(sim.Start());
    for (int round = 0; round < 2; ++round) {
        LineClient client(sim.Port());
        QCOMPARE(client.ReadLine(), kGreeting);
        QVERIFY(client.Command("CAM_GETSERIALNUMBER") != kSerialReply);
        client.Send("CAM_GETSERIALNUMBER\r\n");
        bool closed = false;
        QCOMPARE(client.ReadUntilClosed(&closed), QByteArray());
        QVERIFY(closed);
    }
    QCOMPARE(sim.ConnectionsAccepted(), 2);
}

QTEST_MAIN(TestSimFaults)
#include "tst_sim_faults.moc"
