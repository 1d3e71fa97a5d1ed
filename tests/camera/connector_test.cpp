#include "command_channel.h"
#include "connection_rig.h"
#include "recording_surface.h"
#include "sim_thread.h"

#include <QTcpServer>
#include <QTcpSocket>
#include <QTest>
#include <QTimer>

#ifdef Q_OS_UNIX
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>
#endif

using kestrel::Pane;
using kestrel::sim::SimOptions;
using kestrel::test::LinkRig;
using kestrel::test::LinkSettingsFor;
using kestrel::test::RecordingSurface;
using kestrel::test::SimLink;

namespace {

const QString kLine = QStringLiteral("Connected to camera n\u00B0 @ IP=127.0.0.1\r\n");

// A port on 127.0.0.1 where nothing listens: bound, then closed again.
quint16 ClosedPort() {
    QTcpServer server;
    server.listen(QHostAddress::LocalHost, 0);
    const quint16 port = server.serverPort();
    server.close();
    return port;
}

#ifdef Q_OS_UNIX
// A listener on 127.0.0.1 whose queue of pending connections is full, so
// the machine drops further connection attempts without an answer: a camera
// that does not answer, without leaving this machine. (Windows refuses such
// attempts instead, so there the tests that need it are skipped.)
#define KESTREL_HAVE_SILENT_LISTENER 1
class SilentListener {
public:
    SilentListener() {
        m_fd = ::socket(AF_INET, SOCK_STREAM, 0);
        sockaddr_in addr{};
        addr.sin_family = AF_INET;
        addr.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        ::bind(m_fd, reinterpret_cast<sockaddr*>(&addr), sizeof addr);
        ::listen(m_fd, 0);
        socklen_t len = sizeof addr;
        ::getsockname(m_fd, reinterpret_cast<sockaddr*>(&addr), &len);
        m_port = ntohs(addr.sin_port);
        // One connection fills the queue; the next attempt is left waiting.
        m_filler.connectToHost(QHostAddress::LocalHost, m_port);
        m_filler.waitForConnected(1000);
    }
    ~SilentListener() { ::close(m_fd); }
    quint16 Port() const { return m_port; }

private:
    int m_fd = -1;
    quint16 m_port = 0;
    QTcpSocket m_filler;
};
#endif

} // namespace

class ConnectorTest : public QObject {
    Q_OBJECT
private slots:
    void connectReadsGreetingAndLogsTheLine();
    void disconnectSendsCloseAndReconnectWorks();
    void noAddressNeverTouchesTheNetwork();
    void failedConnect_data();
    void failedConnect();
    void secondClickDuringAttemptIsIgnored();
    void lostConnection_data();
    void lostConnection();
    void lossWhileIdleIsNoticed();
    void lostBeforeTheConnectionLineWritesNoLine();
    void disconnectClickDuringGreeting();
    void clickWhileReplyIsAwaited();
    void closeAnsweredByClosingIsNoLoss();
};

void ConnectorTest::connectReadsGreetingAndLogsTheLine() {
    SimLink rig;
    QVERIFY(rig.started);
    rig.session.Log().Restart(QStringLiteral("old log\r\n"));

    rig.session.OnBnClickedConnect();

    QVERIFY(rig.session.Link().Connected());
    QCOMPARE(rig.surface.caption, QStringLiteral("Disconnect"));
    QCOMPARE(rig.session.Log().Text(), kLine);
    QCOMPARE(rig.surface.paneText[Pane::Log], kLine);
    QCOMPARE(rig.surface.caret[Pane::Log], kLine.size());
    QCOMPARE(rig.surface.paneText[Pane::Info], QString());
    QCOMPARE(rig.session.Link().Address(), QStringLiteral("127.0.0.1"));
    // The greeting was consumed: the next reply is the command's own.
    QCOMPARE(rig.session.Channel().SendCommand("CAM_GetCameraType"),
             QByteArray("CAM_GETCAMERATYPE 7"));
    QCOMPARE(rig.sim->ReceivedLines(), QList<QByteArray>{"CAM_GETCAMERATYPE"});
    QVERIFY(rig.surface.messageBoxes.isEmpty());
}

void ConnectorTest::disconnectSendsCloseAndReconnectWorks() {
    SimLink rig;
    QVERIFY(rig.started);
    rig.session.OnBnClickedConnect();
    QVERIFY(rig.session.Link().Connected());
    const qsizetype infoShown = rig.surface.history.value(Pane::Info).size();

    rig.session.OnBnClickedConnect(); // disconnect
    QVERIFY(!rig.session.Link().Connected());
    QCOMPARE(rig.surface.caption, QStringLiteral("Connect"));
    QCOMPARE(rig.sim->ReceivedLines(), QList<QByteArray>{"CLOSE"});
    QTRY_COMPARE(rig.sim->ConnectionsOpen(), 0);
    QCOMPARE(rig.session.Log().Text(), kLine); // left as it was
    QCOMPARE(rig.surface.history.value(Pane::Info).size(), infoShown); // not touched

    rig.session.OnBnClickedConnect(); // a fresh connection with a fresh greeting
    QVERIFY(rig.session.Link().Connected());
    QCOMPARE(rig.sim->ConnectionsAccepted(), 2);
    QCOMPARE(rig.session.Channel().SendCommand("GETSERVER_VERSION"),
             QByteArray("vx_server 3.8.2 build 1187"));
    QCOMPARE(rig.session.Log().Text(), kLine);
}

void ConnectorTest::noAddressNeverTouchesTheNetwork() {
    SimLink rig;
    QVERIFY(rig.started);
    rig.surface.address = QStringLiteral("0.0.0.0"); // what an empty field reads
    rig.session.Log().Restart(QStringLiteral("kept"));
    rig.session.OnBnClickedConnect();
    QCOMPARE(rig.surface.messageBoxes, QStringList{QStringLiteral("Wrong IP, not connected")});
    QVERIFY(!rig.session.Link().Connected());
    QCOMPARE(rig.surface.caption, QStringLiteral("Connect"));
    QCOMPARE(rig.session.Log().Text(), QStringLiteral("kept"));
    QCOMPARE(rig.sim->ConnectionsAccepted(), 0);
}

void ConnectorTest::failedConnect_data() {
    QTest::addColumn<bool>("silent");
    QTest::addColumn<QString>("message");
    QTest::newRow("refused") << false
                             << QStringLiteral("Could not connect to the camera at 127.0.0.1: "
                                               "the camera refused the connection.");
    QTest::newRow("no answer") << true
                               << QStringLiteral("Could not connect to the camera at 127.0.0.1: "
                                                 "no answer from the camera within 0.5 s.");
}

void ConnectorTest::failedConnect() {
    QFETCH(bool, silent);
    QFETCH(QString, message);
#ifdef KESTREL_HAVE_SILENT_LISTENER
    SilentListener listener;
    const quint16 port = silent ? listener.Port() : ClosedPort();
#else
    if (silent)
        QSKIP("this system refuses, rather than drops, attempts to a full listener");
    const quint16 port = ClosedPort();
#endif
    RecordingSurface surface;
    surface.address = QStringLiteral("127.0.0.1");
    LinkRig session(surface, LinkSettingsFor(port, 500));
    session.Log().Restart(QStringLiteral("before\r\n"));
    session.OnBnClickedConnect();

    QCOMPARE(surface.messageBoxes, QStringList{message});
    QVERIFY(!session.Link().Connected());
    QCOMPARE(surface.caption, QStringLiteral("Connect"));
    QCOMPARE(session.Log().Text(), QStringLiteral("before\r\n"));
    QVERIFY(!surface.paneText.contains(Pane::Log));
    QVERIFY(!surface.calls.join('\n').contains(QStringLiteral("caption")));
    // Nothing is sent on a connection that is not there.
    QCOMPARE(session.Channel().SendCommand("CAM_GetSerialNumber"), QByteArray());
}

void ConnectorTest::secondClickDuringAttemptIsIgnored() {
#ifndef KESTREL_HAVE_SILENT_LISTENER
    QSKIP("this system refuses, rather than drops, attempts to a full listener");
#else
    SilentListener listener;
    RecordingSurface surface;
    surface.address = QStringLiteral("127.0.0.1");
    LinkRig session(surface, LinkSettingsFor(listener.Port(), 400));
    int nestedClicks = 0;
    QTimer::singleShot(50, [&] {
        ++nestedClicks;
        session.OnBnClickedConnect();
    });
    session.OnBnClickedConnect();
    QCOMPARE(nestedClicks, 1);
    // One attempt, one message.
    QCOMPARE(surface.messageBoxes.size(), 1);
    QVERIFY(!session.Link().Connected());
#endif
}

void ConnectorTest::lostConnection_data() {
    QTest::addColumn<int>("fault");
    QTest::addColumn<QString>("line");
    // 0 camera closes, 1 camera stops answering, 2 closes in the middle of a reply
    QTest::newRow("closed") << 0
                            << QStringLiteral("Connection to the camera lost: "
                                              "the camera closed the connection\r\n");
    QTest::newRow("silent") << 1
                            << QStringLiteral("Connection to the camera lost: "
                                              "no answer from the camera within 0.3 s\r\n");
    QTest::newRow("mid reply") << 2
                               << QStringLiteral("Connection to the camera lost: "
                                                 "the camera closed the connection\r\n");
}

void ConnectorTest::lostConnection() {
    QFETCH(int, fault);
    QFETCH(QString, line);
    SimOptions options;
    if (fault == 0)
        options.closeAfter = 1;
    else if (fault == 1)
        options.stopAnsweringAfter = 1;
    else
        options.closeMidReplyAt = 2;
    SimLink rig(options, 5000, 300);
    QVERIFY(rig.started);
    rig.session.OnBnClickedConnect();
    QVERIFY(rig.session.Link().Connected());

    QCOMPARE(rig.session.Channel().SendCommand("CAM_GetCameraType"),
             QByteArray("CAM_GETCAMERATYPE 7"));
    QCOMPARE(rig.session.Channel().SendCommand("CAM_GetSerialNumber"), QByteArray());
    QVERIFY(!rig.session.Link().Connected());
    QCOMPARE(rig.surface.caption, QStringLiteral("Connect"));
    QCOMPARE(rig.session.Log().Text(), kLine + line);
    QCOMPARE(rig.surface.paneText[Pane::Log], kLine + line);
    QVERIFY(rig.surface.messageBoxes.isEmpty());

    // Noticed once; later commands answer empty at once, without the wire.
    const int waitedBefore = rig.surface.waitedMs;
    QCOMPARE(rig.session.Channel().SendCommand("CAM_GetSerialNumber"), QByteArray());
    QCOMPARE(rig.session.Log().Text(), kLine + line);
    QCOMPARE(rig.surface.waitedMs, waitedBefore);
    QCOMPARE(rig.sim->ReceivedLines().size(), 2);

    // Connect works again.
    rig.session.OnBnClickedConnect();
    QVERIFY(rig.session.Link().Connected());
    QCOMPARE(rig.surface.caption, QStringLiteral("Disconnect"));
}

void ConnectorTest::lossWhileIdleIsNoticed() {
    SimLink rig;
    QVERIFY(rig.started);
    rig.session.OnBnClickedConnect();
    QVERIFY(rig.session.Link().Connected());
    rig.sim.reset(); // the camera goes away while the tool does nothing
    QTRY_VERIFY(!rig.session.Link().Connected());
    QCOMPARE(rig.surface.caption, QStringLiteral("Connect"));
    QCOMPARE(rig.session.Log().Text(),
             kLine + QStringLiteral("Connection to the camera lost: the camera closed the "
                                    "connection\r\n"));
}

void ConnectorTest::lostBeforeTheConnectionLineWritesNoLine() {
    SimOptions options;
    options.noGreeting = true;
    SimLink rig(options, 5000, 300);
    QVERIFY(rig.started);
    rig.session.OnBnClickedConnect();
    QVERIFY(!rig.session.Link().Connected());
    QCOMPARE(rig.surface.caption, QStringLiteral("Connect"));
    QCOMPARE(rig.session.Log().Text(),
             QStringLiteral("Connection to the camera lost: no answer from the camera within "
                            "0.3 s\r\n"));
    QVERIFY(rig.sim->ReceivedLines().isEmpty());
}

void ConnectorTest::disconnectClickDuringGreeting() {
    // The greeting comes slowly; the operator presses the button again
    // meanwhile, which disconnects. The first click then writes nothing.
    SimOptions options;
    options.slowBytesMs = 10;
    SimLink rig(options);
    QVERIFY(rig.started);
    QTimer::singleShot(30, [&] { rig.session.OnBnClickedConnect(); });
    rig.session.OnBnClickedConnect();
    QVERIFY(!rig.session.Link().Connected());
    QCOMPARE(rig.surface.caption, QStringLiteral("Connect"));
    QCOMPARE(rig.session.Log().Text(), QString());
    QTRY_COMPARE(rig.sim->ReceivedLines(), QList<QByteArray>{"CLOSE"});
}

void ConnectorTest::clickWhileReplyIsAwaited() {
    // Disconnect pressed while another exchange waits for its reply: that
    // exchange still gets its own reply, then CLOSE goes out.
    SimOptions options;
    options.slowBytesMs = 3;
    SimLink rig(options);
    QVERIFY(rig.started);
    rig.session.OnBnClickedConnect();
    QVERIFY(rig.session.Link().Connected());

    bool clickedDuringWait = false;
    bool outerDone = false;
    QTimer::singleShot(10, [&] {
        clickedDuringWait = !outerDone;
        rig.session.OnBnClickedConnect();
    });
    const QByteArray reply = rig.session.Channel().SendCommand("CAM_GetSerialNumber");
    outerDone = true;
    QVERIFY(clickedDuringWait);
    QCOMPARE(reply, QByteArray("CAM_GETSERIALNUMBER 21040017"));
    QVERIFY(!rig.session.Link().Connected());
    QCOMPARE(rig.surface.caption, QStringLiteral("Connect"));
    QCOMPARE(rig.sim->ReceivedLines(), (QList<QByteArray>{"CAM_GETSERIALNUMBER", "CLOSE"}));
    // The log says nothing of a lost connection: the operator closed it.
    QCOMPARE(rig.session.Log().Text(), kLine);
}

void ConnectorTest::closeAnsweredByClosingIsNoLoss() {
    SimOptions options;
    options.closeAfter = 0; // the camera hangs up on the next command: CLOSE
    SimLink rig(options);
    QVERIFY(rig.started);
    rig.session.OnBnClickedConnect();
    QVERIFY(rig.session.Link().Connected());
    rig.session.OnBnClickedConnect();
    QVERIFY(!rig.session.Link().Connected());
    QCOMPARE(rig.session.Log().Text(), kLine);
    QCOMPARE(rig.surface.caption, QStringLiteral("Connect"));
}

QTEST_GUILESS_MAIN(ConnectorTest)
#include "connector_test.moc"
