#include "camera.h"
#include "raw_peer.h"
#include "recording_surface.h"
#include "session_rig.h"
#include "sim_thread.h"
#include "tool_session.h"

#include <QTest>

using kestrel::Pane;
using kestrel::test::RawPeer;
using kestrel::test::RecordingSurface;
using kestrel::test::ClickConnect;
using kestrel::test::SessionAt;
using kestrel::test::WireLines;

namespace {

const QString kSerial = QStringLiteral("Camera Serial Number = ");
const QString kType = QStringLiteral("Camera Type               = ");
const QString kColor = QStringLiteral("Color Sensor / Bayer   = ");
const QString kHw = QStringLiteral("\r\nHardware Firmware (firm.rbf)    = ");
const QString kSw = QStringLiteral("Software Firmware  (vx_server) = ");

QString Info(const QString& serial, const QString& model, const QString& sensor, const QString& hw,
             const QString& sw) {
    return kSerial + serial + "\r\n" + kType + model + "\r\n" + sensor + "\r\n" + kHw + hw +
           "\r\n" + kSw + sw;
}

} // namespace

class CameraInfoTest : public QObject {
    Q_OBJECT
private slots:
    void labels();
    void infoText_data();
    void infoText();
    void againstTheSimulator();
    void replacesWhateverThePaneShowed();
    void lostInTheMiddleFillsNothing();
};

void CameraInfoTest::labels() {
    // The labels, blank for blank.
    QCOMPARE(kSerial.size(), 23);
    QCOMPARE(kType.size(), 28);
    QCOMPARE(kColor.size(), 25);
    QCOMPARE(kHw.size() - 2, 34);
    QCOMPARE(kSw.size(), 33);
}

void CameraInfoTest::infoText_data() {
    QTest::addColumn<QList<QByteArray>>("replies"); // to the query's commands, in order
    QTest::addColumn<QString>("info");
    QTest::addColumn<QList<QByteArray>>("commands");

    const QList<QByteArray> colour{
        "CAM_GETSERIALNUMBER", "CAM_GETCAMERATYPE", "CAM_GETSENSORCOLOR", "CAM_GETSENSORBAYERTYPE",
        "REG_READ 6E80",       "REG_READ 6F80",     "REG_READ 1F80",      "GETSERVER_VERSION"};
    QList<QByteArray> mono = colour;
    mono.removeAt(3);

    QTest::newRow("colour camera")
        << QList<QByteArray>{"SN 21040017", "TYPE 7", "COLOR 1", "BAYER 2",
                             "1",           "2a",     "3f",      "vx_server 3.8.2 Build"}
        << Info("21040017", "VX340", kColor + "RGGB", "1.2A.3F", "vx_server 3.8.2 Build") << colour;
    QTest::newRow("mono camera sends no bayer command")
        << QList<QByteArray>{"SN 7", "TYPE 11", "COLOR 0", "a", "b", "c", "v1"}
        << Info("7", "VX_T90", "Mono Sensor", "A.B.C", "v1") << mono;
    QTest::newRow("serial with inner blanks, type 03, colour as a bare 1")
        << QList<QByteArray>{"SN 2104 0017 ", "TYPE 03", "1", "B 0", "1", "2", "3", "x"}
        << Info("2104 0017 ", "VX110", kColor + "GRBG", "1.2.3", "x") << colour;
    QTest::newRow("no space in the serial reply, 7abc, two blanks before the bayer 3")
        << QList<QByteArray>{"21040017", "T 7abc", "C 1", "B  3", "1", "2", "3", "x"}
        << Info("21040017", "VX340", kColor + "BGGR", "1.2.3", "x") << colour;
    QTest::newRow("trailing space in the serial reply, two blanks then 8")
        << QList<QByteArray>{"SN ", "T  8", "C 01", "1", "2", "3", "x"}
        << Info("", "VX380", "Mono Sensor", "1.2.3", "x") << mono;
    QTest::newRow("unlisted types and bayer")
        << QList<QByteArray>{"S 1", "T 9", "C 1", "B 4", "1", "2", "3", "x"}
        << Info("1", "", kColor, "1.2.3", "x") << colour;
    QTest::newRow("type 12, bayer -1")
        << QList<QByteArray>{"S 1", "T 12", "C 1", "B -1", "1", "2", "3", "x"}
        << Info("1", "", kColor, "1.2.3", "x") << colour;
    QTest::newRow("type 0, empty bayer reads GRBG")
        << QList<QByteArray>{"S 1", "T 0", "C 1", "", "1", "2", "3", "x"}
        << Info("1", "", kColor + "GRBG", "1.2.3", "x") << colour;
    QTest::newRow("type -1, sensor 1 with a blank is mono")
        << QList<QByteArray>{"S 1", "T -1", "C 1 ", "1", "2", "3", "x"}
        << Info("1", "", "Mono Sensor", "1.2.3", "x") << mono;
    QTest::newRow("sensor empty text is mono")
        << QList<QByteArray>{"S 1", "T 3", "C ", "1", "2", "3", "x"}
        << Info("1", "VX110", "Mono Sensor", "1.2.3", "x") << mono;
    QTest::newRow("register reply with a space is used whole; software keeps its case")
        << QList<QByteArray>{"S 1", "T 3", "C 0", "r 1f", "2a", "3f", "Vx Server  a.B"}
        << Info("1", "VX110", "Mono Sensor", "R 1F.2A.3F", "Vx Server  a.B") << mono;
    QTest::newRow("only a to z are upper-cased")
        << QList<QByteArray>{"S 1", "T 3", "C 0", "\xe9z", "-_", "0x", "s"}
        << Info("1", "VX110", "Mono Sensor", "\u00e9Z.-_.0X", "s") << mono;
}

void CameraInfoTest::infoText() {
    QFETCH(QList<QByteArray>, replies);
    QFETCH(QString, info);
    QFETCH(QList<QByteArray>, commands);
    RawPeer peer;
    peer.replies = {"0 0 0 0\r\n"};
    for (const QByteArray& reply : replies)
        peer.replies << reply + "\r\n";
    RecordingSurface surface;
    auto session = SessionAt(surface, peer.Port());
    ClickConnect(*session, surface);

    QCOMPARE(session->TheCamera().Info(), info);
    QCOMPARE(surface.paneText[Pane::Info], info);
    QCOMPARE(surface.caret[Pane::Info], info.size());
    QList<QByteArray> expected{"CAM_FIRMWAREUPDATE 1"};
    expected << commands;
    QCOMPARE(WireLines(peer.received), expected);
    // The connection line carries the serial number the query found.
    const QString serial = info.mid(23, info.indexOf('\r') - 23);
    QCOMPARE(session->Log().Text(), QStringLiteral("Connected to camera n\u00B0") + serial +
                                            QStringLiteral(" @ IP=127.0.0.1\r\n"));
}

void CameraInfoTest::againstTheSimulator() {
    kestrel::sim::SimOptions options;
    options.serial = "5550123";
    options.cameraType = 10;
    options.colorSensor = false;
    kestrel::sim::SimThread sim(options);
    QVERIFY(sim.Start());
    RecordingSurface surface;
    auto session = SessionAt(surface, sim.Port());
    ClickConnect(*session, surface);
    QCOMPARE(session->TheCamera().Info(),
             Info("5550123", "VX420", "Mono Sensor", "1.2A.3F", "vx_server 3.8.2 build 1187"));
    QCOMPARE(session->Log().Text(),
             QStringLiteral("Connected to camera n\u00B05550123 @ IP=127.0.0.1\r\n"));
    // The log pane shows the connection line, then the information pane is shown.
    const QStringList calls = surface.calls.filter(QStringLiteral("show"));
    QCOMPARE(calls.last(), QStringLiteral("show info @%1").arg(session->TheCamera().Info().size()));
}

void CameraInfoTest::replacesWhateverThePaneShowed() {
    RawPeer peer;
    // A first camera fills the pane; the next connect's query replaces it.
    peer.replies = {"0 0 0 0\r\n", "S 9\r\n", "T 3\r\n", "C 0\r\n", "7\r\n", "8\r\n",
                    "9\r\n",       "y\r\n",   "BYE\r\n", "0 0 0 0\r\n", "S 1\r\n", "T 3\r\n",
                    "C 0\r\n",     "1\r\n",   "2\r\n",   "3\r\n",   "x\r\n"};
    RecordingSurface surface;
    auto session = SessionAt(surface, peer.Port());
    ClickConnect(*session, surface);
    QCOMPARE(session->TheCamera().Info(), Info("9", "VX110", "Mono Sensor", "7.8.9", "y"));
    ClickConnect(*session, surface); // disconnect
    ClickConnect(*session, surface);
    QCOMPARE(session->TheCamera().Info(), Info("1", "VX110", "Mono Sensor", "1.2.3", "x"));
}

void CameraInfoTest::lostInTheMiddleFillsNothing() {
    kestrel::sim::SimOptions options;
    options.closeAfter = 3; // the probe, the serial number, the type; then gone
    kestrel::sim::SimThread sim(options);
    QVERIFY(sim.Start());
    RecordingSurface surface;
    auto session = SessionAt(surface, sim.Port());
    ClickConnect(*session, surface);
    QVERIFY(!session->TheCamera().Connected());
    QCOMPARE(session->TheCamera().Info(), QString());
    QCOMPARE(surface.paneText[Pane::Info], QString());
    // No connection line for a connection that is gone; the loss is logged.
    QCOMPARE(session->Log().Text(),
             QStringLiteral("Connection to the camera lost: the camera closed the connection\r\n"));
    QCOMPARE(sim.ReceivedLines().size(), 4);
}

QTEST_GUILESS_MAIN(CameraInfoTest)
#include "camera_info_test.moc"
