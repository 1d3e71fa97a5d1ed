#include "connection_rig.h"
#include "line_transport.h"
#include "raw_peer.h"
#include "recording_surface.h"
#include "sim_thread.h"

#include <QElapsedTimer>
#include <QRegularExpression>
#include <QSignalSpy>
#include <QTcpSocket>
#include <QTest>

#include <memory>

using kestrel::Camera;
using kestrel::Pane;
using kestrel::sim::SimOptions;
using kestrel::test::Ask;
using kestrel::test::AskText;
using kestrel::test::LinkRig;
using kestrel::test::LinkSettingsFor;
using kestrel::test::RawPeer;
using kestrel::test::RecordingSurface;
using kestrel::test::SimLink;

namespace {

// A link connected to the peer at port, greeting read.
std::unique_ptr<LinkRig> Connected(RecordingSurface& surface, quint16 port,
                                   int replyTimeoutMs = 10000) {
    surface.address = QStringLiteral("127.0.0.1");
    auto session = std::make_unique<LinkRig>(surface, LinkSettingsFor(port, 5000, replyTimeoutMs));
    session->OnBnClickedConnect();
    return session;
}

// Sends a command and hands its reply to `into` when it comes; returns at once.
void SendLater(Camera& camera, QObject& context, const QByteArray& command,
               std::optional<QByteArray>& into, bool& answered) {
    camera.SendCommand(command, &context, [&into, &answered](const std::optional<QByteArray>& r) {
        into = r;
        answered = true;
    });
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
    void notConnectedAnswersNothingAtOnce();
    void refusedWriteFailsAtOnce();
    void secondCommandWaitsForTheFirstReply();
    void secondCommandIsNotSentBeforeTheFirstReply();
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
    QVERIFY(session->Connected());

    const std::optional<QByteArray> reply = Ask(session->camera, command);
    QCOMPARE(peer.received, wire);
    QCOMPARE(reply, std::optional<QByteArray>("REPLY 1"));
    QCOMPARE(session->camera.Address(), QStringLiteral("127.0.0.1"));
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
    // The probe finds a programming run in progress: the gate closes.
    peer.replies = {"1 155 10 0 0\r\n", "0 0 0 0\r\n"};
    RecordingSurface surface;
    auto session = Connected(surface, peer.Port());
    QSignalSpy probed(&session->camera, &Camera::runProbed);
    session->camera.ProbeRun();
    QVERIFY(probed.wait());
    QVERIFY(session->camera.UpdateRunning());
    peer.received.clear();

    // A refused command is answered before the camera could have answered
    // anything: with the peer's replies held back.
    peer.holdReplies = !passes;
    const std::optional<QByteArray> reply = Ask(session->camera, command);
    if (passes) {
        QCOMPARE(reply, std::optional<QByteArray>("0 0 0 0"));
        QCOMPARE(peer.received, command + "\r\n");
    } else {
        QCOMPARE(reply, std::optional<QByteArray>("occuped"));
        QCOMPARE(peer.received, QByteArray());
    }
    QVERIFY(session->Connected());
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
    QVERIFY(rig.session.Connected());

    QCOMPARE(AskText(rig.session.camera, "CAM_GetSerialNumber"), first);
    QCOMPARE(rig.session.Connected(), stillConnected);
    // The next exchange is in step with the camera (or answered with nothing
    // once the connection is gone).
    QCOMPARE(Ask(rig.session.camera, "CAM_GetCameraType"),
             stillConnected ? std::optional<QByteArray>("CAM_GETCAMERATYPE 7") : std::nullopt);
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
    session->log.Restart(QString(length, QLatin1Char('x')));
    surface.calls.clear();
    QVERIFY(Ask(session->camera, "CAM_PLAYSTOP"));
    QCOMPARE(session->log.Text().size(), after);
    // The pane is not refreshed by the command itself.
    QVERIFY(!surface.calls.join('\n').contains(QStringLiteral("show log")));
}

void CommandChannelTest::notConnectedAnswersNothingAtOnce() {
    // Without a connection nothing waits for the reply timeout: the answer
    // comes from the next turn of the event loop.
    RecordingSurface surface;
    LinkRig session(surface, LinkSettingsFor(5000, 60000, 60000));
    QElapsedTimer clock;
    clock.start();
    QCOMPARE(Ask(session.camera, "CAM_GetSerialNumber"), std::nullopt);
    QVERIFY2(clock.elapsed() < 30000, qPrintable(QString::number(clock.elapsed())));
}

void CommandChannelTest::refusedWriteFailsAtOnce() {
    // A write the socket refuses ends the exchange at once, and the
    // connection with it, whatever the reply timeout.
    RawPeer peer;
    QObject context;
    kestrel::LineTransport transport(LinkSettingsFor(peer.Port(), 5000, 60000));
    bool opened = false;
    transport.Connect(QStringLiteral("127.0.0.1"), peer.Port(), &context,
                      [&opened](const kestrel::LineTransport::ConnectOutcome& outcome) {
                          opened = outcome.connected;
                      });
    QTRY_VERIFY(opened);
    // The socket refuses every byte from now on; the transport is not told.
    auto* socket = transport.findChild<QTcpSocket*>();
    QVERIFY(socket);
    socket->blockSignals(true);
    socket->abort();
    socket->blockSignals(false);
    QVERIFY(transport.IsOpen());
    QSignalSpy lost(&transport, &kestrel::LineTransport::connectionLost);
    QTest::ignoreMessage(QtWarningMsg, QRegularExpression("QIODevice::write.*not open"));
    bool answered = false;
    std::optional<QByteArray> line = QByteArray("unset");
    transport.Exchange("CAM_GETSERIALNUMBER\r\n", &context,
                       [&](const std::optional<QByteArray>& reply) {
                           line = reply;
                           answered = true;
                       });
    QTRY_VERIFY_WITH_TIMEOUT(answered, 5000); // long before the reply timeout of 60 s
    QCOMPARE(lost.size(), 1);
    QCOMPARE(line, std::nullopt);
    QVERIFY2(lost.first().first().toString().startsWith("a command could not be sent ("),
             qPrintable(lost.first().first().toString()));
}

void CommandChannelTest::secondCommandWaitsForTheFirstReply() {
    // A command asked for while another one's reply is awaited goes out only
    // after that reply is in; each gets its own reply.
    SimOptions options;
    options.slowBytesMs = 3;
    SimLink rig(options);
    QVERIFY(rig.started);
    rig.session.OnBnClickedConnect();
    QVERIFY(rig.session.Connected());

    QObject context;
    std::optional<QByteArray> first;
    std::optional<QByteArray> second;
    bool firstIn = false;
    bool secondIn = false;
    bool secondBeforeFirst = false;
    SendLater(rig.session.camera, context, "CAM_GetSerialNumber", first, firstIn);
    rig.session.camera.SendCommand("CAM_GetCameraType", &context,
                                   [&](const std::optional<QByteArray>& reply) {
                                       secondBeforeFirst = !firstIn;
                                       second = reply;
                                       secondIn = true;
                                   });
    QTRY_VERIFY(secondIn);
    QVERIFY(!secondBeforeFirst);
    QCOMPARE(first, std::optional<QByteArray>("CAM_GETSERIALNUMBER 21040017"));
    QCOMPARE(second, std::optional<QByteArray>("CAM_GETCAMERATYPE 7"));
    QCOMPARE(rig.sim->ReceivedLines(),
             (QList<QByteArray>{"CAM_GETSERIALNUMBER", "CAM_GETCAMERATYPE"}));
}

void CommandChannelTest::secondCommandIsNotSentBeforeTheFirstReply() {
    // The camera answers one command at a time: a second command must not
    // go out while the first one's reply is still awaited.
    RawPeer peer;
    RecordingSurface surface;
    auto session = Connected(surface, peer.Port());
    QVERIFY(session->Connected());
    peer.holdReplies = true;
    peer.replies = {"FIRST\r\n", "SECOND\r\n"};

    QObject context;
    std::optional<QByteArray> first;
    std::optional<QByteArray> second;
    bool firstIn = false;
    bool secondIn = false;
    SendLater(session->camera, context, "CAM_PLAYSTOP", first, firstIn);
    SendLater(session->camera, context, "CAM_LIVESTOP", second, secondIn);
    QTRY_COMPARE(peer.received, QByteArray("CAM_PLAYSTOP\r\n"));
    // Held as long as the first reply is: the first line is all there is.
    peer.ReleaseReply();
    QTRY_VERIFY(firstIn);
    QCOMPARE(first, std::optional<QByteArray>("FIRST"));
    QTRY_COMPARE(peer.received, QByteArray("CAM_PLAYSTOP\r\nCAM_LIVESTOP\r\n"));
    QVERIFY(!secondIn);
    peer.ReleaseReply();
    QTRY_VERIFY(secondIn);
    QCOMPARE(second, std::optional<QByteArray>("SECOND"));
}

QTEST_GUILESS_MAIN(CommandChannelTest)
#include "command_channel_test.moc"
