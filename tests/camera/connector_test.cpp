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

using kestrel::Camera;
using kestrel::Pane;
using kestrel::sim::SimOptions;
using kestrel::test::Ask;
using kestrel::test::LinkRig;
using kestrel::test::LinkSettingsFor;
using kestrel::test::RecordingSurface;
using kestrel::test::SimLink;

namespace {

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
    void connectReadsTheGreetingAndStartsTheLogAfresh();
    void disconnectSendsCloseAndReconnectWorks();
    void noAddressNeverTouchesTheNetwork();
    void failedConnect_data();
    void failedConnect();
    void secondClickDuringAttemptIsIgnored();
    void lostConnection_data();
    void lostConnection();
    void lossWhileIdleIsNoticed();
    void lostBeforeTheGreetingIsNoConnection();
    void disconnectClickDuringGreeting();
    void clickWhileReplyIsAwaited();
    void closeAnsweredByClosingIsNoLoss();
};

void ConnectorTest::connectReadsTheGreetingAndStartsTheLogAfresh() {
    SimLink rig;
    QVERIFY(rig.started);
    rig.session.log.Restart(QStringLiteral("old log\r\n"));

    rig.session.OnBnClickedConnect();

    QVERIFY(rig.session.Connected());
    QCOMPARE(rig.surface.caption, QStringLiteral("Disconnect"));
    QCOMPARE(rig.session.log.Text(), QString());
    QCOMPARE(rig.session.camera.Address(), QStringLiteral("127.0.0.1"));
    // The greeting was consumed: the next reply is the command's own.
    QCOMPARE(Ask(rig.session.camera, "CAM_GetCameraType"),
             std::optional<QByteArray>("CAM_GETCAMERATYPE 7"));
    QCOMPARE(rig.sim->ReceivedLines(), QList<QByteArray>{"CAM_GETCAMERATYPE"});
    QVERIFY(rig.surface.messageBoxes.isEmpty());
}

void ConnectorTest::disconnectSendsCloseAndReconnectWorks() {
    SimLink rig;
    QVERIFY(rig.started);
    rig.session.OnBnClickedConnect();
    QVERIFY(rig.session.Connected());
    rig.session.log.Write(QStringLiteral("kept\r\n"));
    const qsizetype infoShown = rig.surface.history.value(Pane::Info).size();

    rig.session.OnBnClickedConnect(); // disconnect
    QVERIFY(!rig.session.Connected());
    QCOMPARE(rig.surface.caption, QStringLiteral("Connect"));
    QCOMPARE(rig.sim->ReceivedLines(), QList<QByteArray>{"CLOSE"});
    QTRY_COMPARE(rig.sim->ConnectionsOpen(), 0);
    QCOMPARE(rig.session.log.Text(), QStringLiteral("kept\r\n")); // left as it was
    QCOMPARE(rig.surface.history.value(Pane::Info).size(), infoShown); // not touched

    rig.session.OnBnClickedConnect(); // a fresh connection with a fresh greeting
    QVERIFY(rig.session.Connected());
    QCOMPARE(rig.sim->ConnectionsAccepted(), 2);
    QCOMPARE(Ask(rig.session.camera, "GETSERVER_VERSION"),
             std::optional<QByteArray>("vx_server 3.8.2 build 1187"));
}

void ConnectorTest::noAddressNeverTouchesTheNetwork() {
    SimLink rig;
    QVERIFY(rig.started);
    rig.surface.address = QStringLiteral("0.0.0.0"); // what an empty field reads
    rig.session.log.Restart(QStringLiteral("kept"));
    QSignalSpy ended(&rig.session.camera, &Camera::openEnded);
    rig.session.Click();
    // The message is shown by the click itself.
    QCOMPARE(rig.surface.messageBoxes, QStringList{QStringLiteral("Wrong IP, not connected")});
    QVERIFY(ended.wait());
    QCOMPARE(ended.first().at(0).toBool(), false);
    QVERIFY(!rig.session.Connected());
    QCOMPARE(rig.surface.caption, QStringLiteral("Connect"));
    QCOMPARE(rig.session.log.Text(), QStringLiteral("kept"));
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
    session.log.Restart(QStringLiteral("before\r\n"));
    session.OnBnClickedConnect();

    QCOMPARE(surface.messageBoxes, QStringList{message});
    QVERIFY(!session.Connected());
    QCOMPARE(surface.caption, QStringLiteral("Connect"));
    QCOMPARE(session.log.Text(), QStringLiteral("before\r\n"));
    QVERIFY(!surface.paneText.contains(Pane::Log));
    QVERIFY(!surface.calls.join('\n').contains(QStringLiteral("caption")));
    // Nothing is sent on a connection that is not there.
    QCOMPARE(Ask(session.camera, "CAM_GetSerialNumber"), std::nullopt);
}

void ConnectorTest::secondClickDuringAttemptIsIgnored() {
#ifndef KESTREL_HAVE_SILENT_LISTENER
    QSKIP("this system refuses, rather than drops, attempts to a full listener");
#else
    SilentListener listener;
    RecordingSurface surface;
    surface.address = QStringLiteral("127.0.0.1");
    LinkRig session(surface, LinkSettingsFor(listener.Port(), 400));
    QSignalSpy ended(&session.camera, &Camera::openEnded);
    session.Click();
    session.Click(); // while the attempt is under way
    QVERIFY(ended.wait());
    // One attempt, one end, one message.
    QCOMPARE(ended.size(), 1);
    QCOMPARE(surface.messageBoxes.size(), 1);
    QVERIFY(!session.Connected());
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
    QVERIFY(rig.session.Connected());

    QSignalSpy dropped(&rig.session.camera, &Camera::connectionDropped);
    QCOMPARE(Ask(rig.session.camera, "CAM_GetCameraType"),
             std::optional<QByteArray>("CAM_GETCAMERATYPE 7"));
    QCOMPARE(Ask(rig.session.camera, "CAM_GetSerialNumber"), std::nullopt);
    QVERIFY(!rig.session.Connected());
    QCOMPARE(rig.surface.caption, QStringLiteral("Connect"));
    QCOMPARE(rig.session.log.Text(), line);
    QCOMPARE(rig.surface.paneText[Pane::Log], line);
    QVERIFY(rig.surface.messageBoxes.isEmpty());
    QCOMPARE(dropped.size(), 1);

    // Noticed once; later commands get nothing, without the wire.
    QCOMPARE(Ask(rig.session.camera, "CAM_GetSerialNumber"), std::nullopt);
    QCOMPARE(rig.session.log.Text(), line);
    QCOMPARE(rig.sim->ReceivedLines().size(), 2);

    // Connect works again.
    rig.session.OnBnClickedConnect();
    QVERIFY(rig.session.Connected());
    QCOMPARE(rig.surface.caption, QStringLiteral("Disconnect"));
}

void ConnectorTest::lossWhileIdleIsNoticed() {
    SimLink rig;
    QVERIFY(rig.started);
    rig.session.OnBnClickedConnect();
    QVERIFY(rig.session.Connected());
    rig.sim.reset(); // the camera goes away while the tool does nothing
    QTRY_VERIFY(!rig.session.Connected());
    QCOMPARE(rig.surface.caption, QStringLiteral("Connect"));
    QCOMPARE(rig.session.log.Text(),
             QStringLiteral("Connection to the camera lost: the camera closed the "
                            "connection\r\n"));
}

void ConnectorTest::lostBeforeTheGreetingIsNoConnection() {
    SimOptions options;
    options.noGreeting = true;
    SimLink rig(options, 5000, 300);
    QVERIFY(rig.started);
    QSignalSpy ended(&rig.session.camera, &Camera::openEnded);
    rig.session.OnBnClickedConnect();
    QCOMPARE(ended.size(), 1);
    QCOMPARE(ended.first().at(0).toBool(), false);
    QVERIFY(!rig.session.Connected());
    QCOMPARE(rig.surface.caption, QStringLiteral("Connect"));
    QCOMPARE(rig.session.log.Text(),
             QStringLiteral("Connection to the camera lost: no answer from the camera within "
                            "0.3 s\r\n"));
    QCOMPARE(rig.surface.paneText[Pane::Info], QString()); // no camera shown
    QVERIFY(rig.sim->ReceivedLines().isEmpty());
}

void ConnectorTest::disconnectClickDuringGreeting() {
    // The greeting comes slowly; the operator presses the button again
    // meanwhile, which disconnects (after the greeting: exchanges never
    // interleave). The connect then ends without a connection.
    SimOptions options;
    options.slowBytesMs = 10;
    SimLink rig(options);
    QVERIFY(rig.started);
    QSignalSpy opened(&rig.session.camera, &Camera::openEnded);
    QSignalSpy closed(&rig.session.camera, &Camera::disconnected);
    rig.session.Click();
    QTRY_VERIFY(rig.session.Connected()); // the connection is open; the greeting comes
    rig.session.Click();
    QVERIFY(closed.wait());
    QTRY_COMPARE(opened.size(), 1);
    QCOMPARE(opened.first().at(0).toBool(), false);
    QVERIFY(!rig.session.Connected());
    QCOMPARE(rig.surface.caption, QStringLiteral("Connect"));
    QCOMPARE(rig.session.log.Text(), QString());
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
    QVERIFY(rig.session.Connected());

    QObject context;
    std::optional<QByteArray> reply;
    bool answered = false;
    rig.session.camera.SendCommand("CAM_GetSerialNumber", &context,
                                   [&](const std::optional<QByteArray>& line) {
                                       reply = line;
                                       answered = true;
                                   });
    rig.session.OnBnClickedConnect(); // disconnect, while the reply is awaited
    QVERIFY(answered);
    QCOMPARE(reply, std::optional<QByteArray>("CAM_GETSERIALNUMBER 21040017"));
    QVERIFY(!rig.session.Connected());
    QCOMPARE(rig.surface.caption, QStringLiteral("Connect"));
    QCOMPARE(rig.sim->ReceivedLines(), (QList<QByteArray>{"CAM_GETSERIALNUMBER", "CLOSE"}));
    // The log says nothing of a lost connection: the operator closed it.
    QCOMPARE(rig.session.log.Text(), QString());
}

void ConnectorTest::closeAnsweredByClosingIsNoLoss() {
    SimOptions options;
    options.closeAfter = 0; // the camera hangs up on the next command: CLOSE
    SimLink rig(options);
    QVERIFY(rig.started);
    rig.session.OnBnClickedConnect();
    QVERIFY(rig.session.Connected());
    rig.session.OnBnClickedConnect();
    QVERIFY(!rig.session.Connected());
    QCOMPARE(rig.session.log.Text(), QString());
    QCOMPARE(rig.surface.caption, QStringLiteral("Connect"));
}

QTEST_GUILESS_MAIN(ConnectorTest)
#include "connector_test.moc"
