#include "command_channel.h"
#include "connection_rig.h"
#include "raw_peer.h"
#include "recording_surface.h"
#include "sim_thread.h"

#include <QElapsedTimer>
#include <QRegularExpression>
#include <QTcpSocket>
#include <QTest>
#include <QTimer>

#include <memory>

using kestrel::Pane;
using kestrel::sim::SimOptions;
using kestrel::test::LinkRig;
using kestrel::test::LinkSettingsFor;
using kestrel::test::RawPeer;
using kestrel::test::RecordingSurface;
using kestrel::test::SimLink;

namespace {

// A session connected to the peer at port, greeting read.
std::unique_ptr<LinkRig> Connected(RecordingSurface& surface, quint16 port,
                                   int replyTimeoutMs = 10000) {
    surface.address = QStringLiteral("127.0.0.1");
    auto session = std::make_unique<LinkRig>(surface, LinkSettingsFor(port, 5000, replyTimeoutMs));
    session->OnBnClickedConnect();
    return session;
}

} // namespace

class CommandChannelTest : public QObject {
    Q_OBJECT
private slots:
    void wireBytes_data();
    void wireBytes();
    void busyGate_data();
    void busyGate();
    void replies_data();
    void replies();
    void logBound_data();
    void logBound();
    void notConnectedAnswersEmptyAtOnce();
    void refusedWriteFailsAtOnce();
    void nestedCommandWaitsForTheFirstReply();
    void nestedCommandIsNotSentBeforeTheFirstReply();
};

void CommandChannelTest::wireBytes_data() {
    QTest::addColumn<QByteArray>("command");
    QTest::addColumn<QByteArray>("wire");

    QTest::newRow("mixed case") << QByteArray("CAM_GetSerialNumber")
                                << QByteArray("CAM_GETSERIALNUMBER\r\n");
    QTest::newRow("lower case with argument")
        << QByteArray("reg_read 6e80") << QByteArray("REG_READ 6E80\r\n");
    QTest::newRow("already upper") << QByteArray("CLOSE") << QByteArray("CLOSE\r\n");
    QTest::newRow("empty command") << QByteArray("") << QByteArray("\r\n");
    QTest::newRow("blanks kept") << QByteArray(" a  b ") << QByteArray(" A  B \r\n");
}

void CommandChannelTest::wireBytes() {
    QFETCH(QByteArray, command);
    QFETCH(QByteArray, wire);
    RawPeer peer;
    peer.replies = {"REPLY 1\r\n"};
    RecordingSurface surface;
    auto session = Connected(surface, peer.Port());
    QVERIFY(session->Link().Connected());

    const QByteArray reply = session->Channel().SendCommand(command);
    QCOMPARE(peer.received, wire);
    QCOMPARE(reply, QByteArray("REPLY 1"));
    QCOMPARE(session->Link().Address(), QStringLiteral("127.0.0.1"));
}

void CommandChannelTest::busyGate_data() {
    QTest::addColumn<QByteArray>("command");
    QTest::addColumn<bool>("passes");

    QTest::newRow("start") << QByteArray("CAM_FIRMWAREUPDATE 0") << true;
    QTest::newRow("status") << QByteArray("CAM_FIRMWAREUPDATE 1") << true;
    QTest::newRow("status in lower case") << QByteArray("cam_firmwareupdate 1") << false;
    QTest::newRow("status with a blank after") << QByteArray("CAM_FIRMWAREUPDATE 1 ") << false;
    QTest::newRow("play stop") << QByteArray("CAM_PLAYSTOP") << false;
    QTest::newRow("close") << QByteArray("CLOSE") << false;
    QTest::newRow("serial query") << QByteArray("CAM_GetSerialNumber") << false;
    QTest::newRow("register read") << QByteArray("REG_READ 6E80") << false;
}

void CommandChannelTest::busyGate() {
    QFETCH(QByteArray, command);
    QFETCH(bool, passes);
    RawPeer peer;
    peer.replies = {"0 0 0 0\r\n"};
    RecordingSurface surface;
    auto session = Connected(surface, peer.Port());
    session->gate.SetUpdateRunning(true); // a programming run is in progress

    const QByteArray reply = session->Channel().SendCommand(command);
    if (passes) {
        QCOMPARE(reply, QByteArray("0 0 0 0"));
        QCOMPARE(peer.received, command + "\r\n");
    } else {
        QCOMPARE(reply, QByteArray("occuped"));
        QCOMPARE(peer.received, QByteArray());
    }
    QVERIFY(session->Link().Connected());
}

void CommandChannelTest::replies_data() {
    QTest::addColumn<int>("fault");
    QTest::addColumn<QByteArray>("first");
    QTest::addColumn<bool>("stillConnected");

    // 0 none, 1 bare LF, 2 zero byte, 3 closed mid-line, 4 over-long, 5 slow bytes
    QTest::newRow("cr lf") << 0 << QByteArray("CAM_GETSERIALNUMBER 21040017") << true;
    QTest::newRow("bare lf") << 1 << QByteArray("CAM_GETSERIALNUMBER 21040017") << true;
    QTest::newRow("zero byte") << 2 << QByteArray("SN 12") << true;
    QTest::newRow("closed mid-line") << 3 << QByteArray() << false;
    QTest::newRow("over-long") << 4 << QByteArray(8192, 'X') << true;
    QTest::newRow("byte by byte") << 5 << QByteArray("CAM_GETSERIALNUMBER 21040017") << true;
}

void CommandChannelTest::replies() {
    QFETCH(int, fault);
    QFETCH(QByteArray, first);
    QFETCH(bool, stillConnected);
    SimOptions options;
    switch (fault) {
    case 1:
        options.bareLf = true;
        break;
    case 2:
        options.fixedReplies = {{"CAM_GETSERIALNUMBER", QByteArray("SN 12\0"
                                                                   "34",
                                                                   8)}};
        break;
    case 3:
        options.closeMidReplyAt = 1;
        break;
    case 4:
        options.overlongAt = 1;
        break;
    case 5:
        options.slowBytesMs = 2;
        break;
    default:
        break;
    }
    SimLink rig(options);
    QVERIFY(rig.started);
    rig.session.OnBnClickedConnect();
    QVERIFY(rig.session.Link().Connected());

    QCOMPARE(rig.session.Channel().SendCommand("CAM_GetSerialNumber"), first);
    QCOMPARE(rig.session.Link().Connected(), stillConnected);
    // The next exchange is in step with the camera (or answered empty once
    // the connection is gone).
    QCOMPARE(rig.session.Channel().SendCommand("CAM_GetCameraType"),
             stillConnected ? QByteArray("CAM_GETCAMERATYPE 7") : QByteArray());
    QCOMPARE(rig.sim->ReceivedLines().size(), stillConnected ? 2 : 1);
}

void CommandChannelTest::logBound_data() {
    QTest::addColumn<int>("length");
    QTest::addColumn<int>("after");
    QTest::newRow("4999 kept") << 4999 << 4999;
    QTest::newRow("5000 kept") << 5000 << 5000;
    QTest::newRow("5001 emptied") << 5001 << 0;
    QTest::newRow("9000 emptied") << 9000 << 0;
}

void CommandChannelTest::logBound() {
    QFETCH(int, length);
    QFETCH(int, after);
    RawPeer peer;
    peer.replies = {"OK\r\n"};
    RecordingSurface surface;
    auto session = Connected(surface, peer.Port());
    session->Log().Restart(QString(length, QLatin1Char('x')));
    surface.calls.clear();
    session->Channel().SendCommand("CAM_PLAYSTOP");
    QCOMPARE(session->Log().Text().size(), after);
    // The pane is not refreshed by the command itself.
    QVERIFY(!surface.calls.join('\n').contains(QStringLiteral("show log")));
}

void CommandChannelTest::notConnectedAnswersEmptyAtOnce() {
    RecordingSurface surface;
    LinkRig session(surface);
    QCOMPARE(session.Channel().SendCommand("CAM_GetSerialNumber"), QByteArray());
    QCOMPARE(surface.waitedMs, 0);
}

void CommandChannelTest::refusedWriteFailsAtOnce() {
    RawPeer peer;
    RecordingSurface surface;
    auto session = Connected(surface, peer.Port(), 60000);
    QVERIFY(session->Link().Connected());
    // The socket refuses every byte from now on; the link is not told.
    auto* socket = session->transport.findChild<QTcpSocket*>();
    QVERIFY(socket);
    socket->blockSignals(true);
    socket->abort();
    socket->blockSignals(false);
    QTest::ignoreMessage(QtWarningMsg, QRegularExpression("QIODevice::write.*not open"));
    QElapsedTimer clock;
    clock.start();
    QCOMPARE(session->Channel().SendCommand("CAM_GetSerialNumber"), QByteArray());
    QVERIFY(clock.elapsed() < 60000); // the reply timeout was not waited out
    QVERIFY(!session->Link().Connected());
    QVERIFY2(session->Log().Text().contains(
                 "Connection to the camera lost: a command could not be sent ("),
             qPrintable(session->Log().Text()));
}

void CommandChannelTest::nestedCommandWaitsForTheFirstReply() {
    // A handler that runs inside another one's wait sends its command only
    // after the first reply is in; each gets its own reply.
    SimOptions options;
    options.slowBytesMs = 3;
    SimLink rig(options);
    QVERIFY(rig.started);
    rig.session.OnBnClickedConnect();
    QVERIFY(rig.session.Link().Connected());

    QByteArray nestedReply;
    bool outerDone = false;
    bool nestedDuringOuter = false;
    QTimer::singleShot(5, [&] {
        nestedDuringOuter = !outerDone;
        nestedReply = rig.session.Channel().SendCommand("CAM_GetCameraType");
    });
    const QByteArray outerReply = rig.session.Channel().SendCommand("CAM_GetSerialNumber");
    outerDone = true;
    QVERIFY(nestedDuringOuter);
    QCOMPARE(outerReply, QByteArray("CAM_GETSERIALNUMBER 21040017"));
    QTRY_COMPARE(nestedReply, QByteArray("CAM_GETCAMERATYPE 7"));
    QCOMPARE(rig.sim->ReceivedLines(),
             (QList<QByteArray>{"CAM_GETSERIALNUMBER", "CAM_GETCAMERATYPE"}));
}

void CommandChannelTest::nestedCommandIsNotSentBeforeTheFirstReply() {
    // The camera answers one command at a time: a second command must not
    // go out while the first one's reply is still awaited.
    RawPeer peer;
    RecordingSurface surface;
    auto session = Connected(surface, peer.Port());
    QVERIFY(session->Link().Connected());
    peer.holdReplies = true;
    peer.replies = {"FIRST\r\n", "SECOND\r\n"};

    QByteArray nestedReply;
    QByteArray wireBeforeFirstReply;
    QTimer::singleShot(10, [&] { nestedReply = session->Channel().SendCommand("CAM_LIVESTOP"); });
    QTimer::singleShot(60, [&] {
        wireBeforeFirstReply = peer.received;
        peer.ReleaseReply();
    });
    QTimer::singleShot(120, [&] { peer.ReleaseReply(); });
    QCOMPARE(session->Channel().SendCommand("CAM_PLAYSTOP"), QByteArray("FIRST"));
    QCOMPARE(wireBeforeFirstReply, QByteArray("CAM_PLAYSTOP\r\n"));
    QCOMPARE(nestedReply, QByteArray("SECOND"));
    QCOMPARE(peer.received, QByteArray("CAM_PLAYSTOP\r\nCAM_LIVESTOP\r\n"));
}

QTEST_GUILESS_MAIN(CommandChannelTest)
#include "command_channel_test.moc"
