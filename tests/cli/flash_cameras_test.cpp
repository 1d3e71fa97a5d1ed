// kestrel-flash info and watch, and what it shows of what cameras send.

#include "flash_process.h"
#include "sim_thread.h"

#include <QJsonArray>
#include <QRegularExpression>
#include <QTest>

using kestrel::sim::FixedReply;
using kestrel::sim::SimOptions;
using kestrel::sim::SimThread;
using kestrel::test::ClosedPort;
using kestrel::test::FlashCamera;
using kestrel::test::FlashRun;
using kestrel::test::Loopback;
using kestrel::test::RunFlash;
using kestrel::test::SummaryJob;

class FlashCamerasTest : public QObject {
    Q_OBJECT
private slots:
    void infoShowsTheInformationAndSaysGoodbye();
    void infoOfTwoCamerasAsJson();
    void cameraTextIsEscaped_data();
    void cameraTextIsEscaped();
    void cameraTextInJsonIsEscaped();
    void refusedConnectionFails();
    void connectionLostWhileReading_data();
    void connectionLostWhileReading();
    void watchFollowsARunWithoutRestartingIt();
    void watchOfAnIdleCameraFails();
};

void FlashCamerasTest::infoShowsTheInformationAndSaysGoodbye() {
    SimThread sim(FlashCamera());
    QVERIFY(sim.Start());
    const QString camera = Loopback(sim.Port());
    const FlashRun run = RunFlash({"info", camera});
    QVERIFY(run.finished);
    QCOMPARE(run.exitCode, 0);
    QVERIFY(run.err.isEmpty());
    const QStringList lines = run.OutLines();
    const QString p = camera + QStringLiteral(": ");
    const QStringList expected{
        p + QStringLiteral("Connected to camera n\u00B021040017 @ IP=127.0.0.1"),
        p + "Camera Serial Number = 21040017",
        p + "Camera Type               = VX340",
        p + "Color Sensor / Bayer   = RGGB",
        p + "Hardware Firmware (firm.rbf)    = 1.2A.3F",
        p + "Software Firmware  (vx_server) = vx_server 3.8.2 build 1187",
    };
    QVERIFY2(lines.size() > expected.size() + 3, run.out.constData());
    QCOMPARE(lines.mid(0, expected.size()), expected);
    QVERIFY(QRegularExpression("^127\\.0\\.0\\.1:\\d+: ok \\(\\d+:\\d\\d\\)$")
                .match(lines.at(expected.size()))
                .hasMatch());
    QVERIFY(QRegularExpression("^CAMERA +SERIAL +RESULT +TIME$")
                .match(lines.at(expected.size() + 1))
                .hasMatch());
    QVERIFY(QRegularExpression("^" + QRegularExpression::escape(camera) +
                               " +21040017 +ok +\\d+:\\d\\d$")
                .match(lines.at(expected.size() + 2))
                .hasMatch());
    QCOMPARE(lines.last(), QStringLiteral("Succeeded."));

    // Status first, then the information, then goodbye: nothing that changes
    // the camera.
    QVERIFY(sim.WaitForReceivedLines(10, 5000));
    const QByteArrayList expectedWire{"CAM_FIRMWAREUPDATE 1",   "CAM_GETSERIALNUMBER",
                                      "CAM_GETCAMERATYPE",      "CAM_GETSENSORCOLOR",
                                      "CAM_GETSENSORBAYERTYPE", "REG_READ 6E80",
                                      "REG_READ 6F80",          "REG_READ 1F80",
                                      "GETSERVER_VERSION",      "CLOSE"};
    QCOMPARE(sim.ReceivedLines(), expectedWire);
}

void FlashCamerasTest::infoOfTwoCamerasAsJson() {
    SimOptions mono = FlashCamera();
    mono.colorSensor = false;
    mono.serial = "30990001";
    SimThread first(FlashCamera());
    SimThread second(mono);
    QVERIFY(first.Start());
    QVERIFY(second.Start());
    const FlashRun run =
        RunFlash({"info", "--json", Loopback(first.Port()), Loopback(second.Port())});
    QVERIFY(run.finished);
    QCOMPARE(run.exitCode, 0);
    const QList<QJsonObject> events = run.JsonLines();
    QVERIFY2(events.size() >= 4, run.out.constData());
    QCOMPARE(events.first().value("event").toString(), QStringLiteral("begin"));
    QCOMPARE(events.first().value("command").toString(), QStringLiteral("info"));
    QCOMPARE(events.first().value("jobs").toArray().size(), 2);
    const QJsonObject summary = events.last();
    QCOMPARE(summary.value("event").toString(), QStringLiteral("summary"));
    QCOMPARE(summary.value("ok").toBool(), true);
    QCOMPARE(summary.value("failed").toInt(), 0);
    const QJsonArray jobs = summary.value("jobs").toArray();
    QCOMPARE(jobs.size(), 2);
    QCOMPARE(jobs.at(0).toObject().value("job").toString(), Loopback(first.Port()));
    QCOMPARE(jobs.at(0).toObject().value("serial").toString(), QStringLiteral("21040017"));
    QCOMPARE(jobs.at(1).toObject().value("serial").toString(), QStringLiteral("30990001"));
    QCOMPARE(jobs.at(1).toObject().value("before").toObject().value("sensor").toString(),
             QStringLiteral("Mono Sensor"));
    QCOMPARE(jobs.at(1).toObject().value("before").toObject().value("hardware").toString(),
             QStringLiteral("1.2A.3F"));
    int connected = 0;
    for (const QJsonObject& event : events) {
        QVERIFY(event.contains("event"));
        if (event.value("event").toString() == QLatin1String("connected")) {
            ++connected;
            QVERIFY(event.value("info").toString().startsWith("Camera Serial Number = "));
        }
    }
    QCOMPARE(connected, 2);
}

void FlashCamerasTest::cameraTextIsEscaped_data() {
    QTest::addColumn<QByteArray>("serial");
    QTest::addColumn<QString>("shown");
    QTest::newRow("escape sequence") << QByteArray("SN 12\x1b[2J\x1b]0;owned\x07")
                                     << QStringLiteral("12\\x1b[2J\\x1b]0;owned\\x07");
    QTest::newRow("C1 introducer") << QByteArray("SN 7\x9b"
                                                 "31m!")
                                   << QStringLiteral("7\\x9b31m!");
    QTest::newRow("carriage return") << QByteArray("SN 99\rFAKE") << QStringLiteral("99\\x0dFAKE");
    QTest::newRow("backspace and DEL") << QByteArray("SN 5\b\x7f") << QStringLiteral("5\\x08\\x7f");
    QTest::newRow("NUL cuts the line") << QByteArray("SN 4\0"
                                                     "2",
                                                     6)
                                       << QStringLiteral("4");
}

void FlashCamerasTest::cameraTextIsEscaped() {
    QFETCH(QByteArray, serial);
    QFETCH(QString, shown);
    SimOptions options = FlashCamera();
    options.fixedReplies.append(FixedReply{"CAM_GetSerialNumber", serial});
    options.fixedReplies.append(FixedReply{"GETSERVER_VERSION", "vx\x1b[41m"});
    SimThread sim(options);
    QVERIFY(sim.Start());
    const FlashRun run = RunFlash({"info", Loopback(sim.Port())});
    QVERIFY(run.finished);
    QCOMPARE(run.exitCode, 0);
    const QString out = QString::fromUtf8(run.out);
    for (const QChar c : out) {
        const char16_t u = c.unicode();
        QVERIFY2(u == u'\n' || (u >= 0x20 && u != 0x7F && (u < 0x80 || u > 0x9F)),
                 qPrintable(QStringLiteral("control character %1 reached the output")
                                .arg(static_cast<int>(u), 0, 16)));
    }
    QVERIFY2(out.contains(QStringLiteral("Camera Serial Number = ") + shown + "\n"),
             qPrintable(out));
    QVERIFY(out.contains(QStringLiteral("Software Firmware  (vx_server) = vx\\x1b[41m\n")));
}

void FlashCamerasTest::cameraTextInJsonIsEscaped() {
    SimOptions options = FlashCamera();
    options.fixedReplies.append(FixedReply{"CAM_GetSerialNumber", "SN 1\x1b[2J\x9b"
                                                                  "2"});
    SimThread sim(options);
    QVERIFY(sim.Start());
    const FlashRun run = RunFlash({"info", "--json", Loopback(sim.Port())});
    QVERIFY(run.finished);
    QCOMPARE(run.exitCode, 0);
    QVERIFY(!run.out.contains('\x1b'));
    QVERIFY(!run.out.contains("\xc2\x9b"));
    QVERIFY(run.out.contains("1\\u001b[2J\\u009b2"));
    // The data itself is kept: a script reads what the camera said.
    QCOMPARE(SummaryJob(run).value("serial").toString(), QStringLiteral("1\x1b[2J\u009b2"));
}

void FlashCamerasTest::refusedConnectionFails() {
    const quint16 port = ClosedPort();
    QVERIFY(port != 0);
    const FlashRun run = RunFlash({"info", Loopback(port)});
    QVERIFY(run.finished);
    QCOMPARE(run.exitCode, 1);
    const QString out = QString::fromUtf8(run.out);
    // The reason is told once, in the summary.
    QVERIFY2(out.count(Loopback(port) + ": Could not connect to the camera at 127.0.0.1: "
                                        "the camera refused the connection.") == 1,
             qPrintable(out));
    QVERIFY(out.contains(QRegularExpression(QRegularExpression::escape(Loopback(port)) +
                                            " +- +FAILED: could not connect +\\d+:\\d\\d\n")));
    QVERIFY(out.endsWith("1 of 1 failed.\n"));
}

void FlashCamerasTest::connectionLostWhileReading_data() {
    QTest::addColumn<QString>("command");
    QTest::addColumn<int>("answers");
    QTest::addColumn<QString>("code");
    QTest::addColumn<QString>("detail");
    QTest::newRow("info, during the information") << "info" << 3 << "connect-failed"
                                                  << "The connection to the camera ended before "
                                                     "its information was read.";
    QTest::newRow("update, before the start") << "update" << 11 << "connection-lost"
                                              << "The connection to the camera was lost before "
                                                 "the programming was started.";
}

void FlashCamerasTest::connectionLostWhileReading() {
    QFETCH(QString, command);
    QFETCH(int, answers);
    QFETCH(QString, code);
    QFETCH(QString, detail);
    SimOptions options = FlashCamera();
    options.closeAfter = answers;
    SimThread sim(options);
    QVERIFY(sim.Start());
    const FlashRun run = RunFlash({command, "--json", Loopback(sim.Port())});
    QVERIFY(run.finished);
    QCOMPARE(run.exitCode, 1);
    const QList<QJsonObject> events = run.JsonLines();
    QVERIFY(!events.isEmpty());
    bool lostLogged = false;
    for (const QJsonObject& event : events) {
        lostLogged = lostLogged || event.value("text").toString() ==
                                       "Connection to the camera lost: the camera closed the "
                                       "connection";
    }
    QVERIFY2(lostLogged, run.out.constData());
    const QJsonObject job = SummaryJob(run);
    QCOMPARE(job.value("result").toString(), code);
    QCOMPARE(job.value("detail").toString(), detail);
    QVERIFY(!sim.ReceivedLines().contains("CAM_FIRMWAREUPDATE 0"));
}

void FlashCamerasTest::watchFollowsARunWithoutRestartingIt() {
    SimOptions options = FlashCamera();
    options.runInProgress = true;
    options.eraseMs = 1000;
    SimThread sim(options);
    QVERIFY(sim.Start());
    const FlashRun run = RunFlash({"watch", Loopback(sim.Port())});
    QVERIFY(run.finished);
    QCOMPARE(run.exitCode, 0);
    const QString out = QString::fromUtf8(run.out);
    const QString p = Loopback(sim.Port()) + ": ";
    QVERIFY2(out.contains(p + "the camera is programming its flash memory\n"), qPrintable(out));
    QVERIFY(out.contains(p + "Firmware is already being programmed\n"));
    QVERIFY(out.contains(p + "=> Programming finished\n"));
    QVERIFY(out.contains(p + "Power cycle the camera to load new firmware\n"));
    const QByteArrayList wire = sim.ReceivedLines();
    QVERIFY(!wire.contains("CAM_FIRMWAREUPDATE 0"));
    QVERIFY(!wire.contains("CAM_LIVESTOP"));
    QVERIFY(wire.contains("CAM_FIRMWAREUPDATE 1"));
}

void FlashCamerasTest::watchOfAnIdleCameraFails() {
    SimThread sim(FlashCamera());
    QVERIFY(sim.Start());
    const FlashRun run = RunFlash({"watch", "--json", Loopback(sim.Port())});
    QVERIFY(run.finished);
    QCOMPARE(run.exitCode, 1);
    const QJsonObject job = SummaryJob(run);
    QCOMPARE(job.value("result").toString(), QStringLiteral("no-run"));
    QCOMPARE(job.value("ok").toBool(), false);
    QVERIFY(!sim.ReceivedLines().contains("CAM_FIRMWAREUPDATE 0"));
    QVERIFY(!run.out.contains("Power cycle"));
}

QTEST_MAIN(FlashCamerasTest)
#include "flash_cameras_test.moc"
