// The kestrel-camera-sim program itself: its command line, its log of the
// traffic, and how it ends.

#include "line_client.h"

#include <QProcess>
#include <QRegularExpression>
#include <QTcpServer>
#include <QTest>

using kestrel::sim::test::LineClient;

namespace {

constexpr int kWaitMs = 10000;

// The program, started listening on a free port of 127.0.0.1.
class RunningSim {
public:
    explicit RunningSim(const QStringList& extraArguments) {
        process.setProgram(QStringLiteral(KESTREL_SIM_PROGRAM));
        process.setArguments(QStringList{"--port", "0"} + extraArguments);
        process.start();
    }

    ~RunningSim() {
        if (process.state() != QProcess::NotRunning) {
            process.kill();
            process.waitForFinished(kWaitMs);
        }
    }

    // Reads standard output until pattern matches a line; the match.
    QRegularExpressionMatch WaitForLine(const QString& pattern) {
        const QRegularExpression expression(pattern, QRegularExpression::MultilineOption);
        QRegularExpressionMatch match;
        // A miss shows in the match returned.
        [[maybe_unused]] const bool found = QTest::qWaitFor(
            [&] {
                output += process.readAllStandardOutput();
                match = expression.match(QString::fromUtf8(output));
                return match.hasMatch();
            },
            kWaitMs);
        return match;
    }

    quint16 Port() {
        const QRegularExpressionMatch match =
            WaitForLine(QStringLiteral("^\\d\\d:\\d\\d:\\d\\d\\.\\d\\d\\d listening on "
                                       "127\\.0\\.0\\.1 port (\\d+)$"));
        return match.hasMatch() ? static_cast<quint16>(match.captured(1).toUInt()) : 0;
    }

    QProcess process;
    QByteArray output;
};

} // namespace

class TestSimProgram : public QObject {
    Q_OBJECT

private slots:
    void help();
    void badArguments_data();
    void badArguments();
    void busyPort();
    void logsTraffic();
    void logsPowerCycle();
    void quiet();
    void servesSeveralCameras();
};

void TestSimProgram::help() {
    QProcess process;
    process.start(QStringLiteral(KESTREL_SIM_PROGRAM), {"--help"});
    QVERIFY(process.waitForFinished(kWaitMs));
    QCOMPARE(process.exitStatus(), QProcess::NormalExit);
    QCOMPARE(process.exitCode(), 0);
    const QString help = QString::fromUtf8(process.readAllStandardOutput());
    QVERIFY(help.contains("--close-mid-reply <N>"));
    QVERIFY(help.contains("--hw-version <a.b.c>"));
    QVERIFY(help.contains("--power-cycle-after <MS>"));
    QVERIFY(help.contains("--power-off-ms <MS>"));
}

void TestSimProgram::badArguments_data() {
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<QString>("message");
    QTest::newRow("unknown option")
        << QStringList{"--bogus"} << "kestrel-camera-sim: Unknown option 'bogus'.";
    QTest::newRow("bad port") << QStringList{"--port", "70000"}
                              << "kestrel-camera-sim: --port: '70000' is not a whole number "
                                 "from 0 to 65535";
    QTest::newRow("bad percent") << QStringList{"--stall-at", "half"}
                                 << "kestrel-camera-sim: --stall-at: 'half'";
}

void TestSimProgram::badArguments() {
    QFETCH(QStringList, arguments);
    QFETCH(QString, message);
    QProcess process;
    process.start(QStringLiteral(KESTREL_SIM_PROGRAM), arguments);
    QVERIFY(process.waitForFinished(kWaitMs));
    QCOMPARE(process.exitStatus(), QProcess::NormalExit);
    QCOMPARE(process.exitCode(), 2);
    const QString error = QString::fromUtf8(process.readAllStandardError());
    QVERIFY2(error.startsWith(message), qPrintable(error));
    QVERIFY2(error.contains("--close-after <N>"), "no help after the message");
    QCOMPARE(process.readAllStandardOutput(), QByteArray());
}

void TestSimProgram::busyPort() {
    QTcpServer holder;
    QVERIFY(holder.listen(QHostAddress(QHostAddress::LocalHost), 0));
    QProcess process;
    process.start(QStringLiteral(KESTREL_SIM_PROGRAM),
                  {"--port", QString::number(holder.serverPort())});
    QVERIFY(process.waitForFinished(kWaitMs));
    QCOMPARE(process.exitCode(), 1);
    const QString error = QString::fromUtf8(process.readAllStandardError());
    QVERIFY2(error.startsWith("kestrel-camera-sim: cannot listen on 127.0.0.1 port " +
                              QString::number(holder.serverPort()) + ": "),
             qPrintable(error));
}

void TestSimProgram::logsTraffic() {
    RunningSim sim({"--fast", "--run-in-progress"});
    const quint16 port = sim.Port();
    QVERIFY2(port != 0, sim.output.constData());
    {
        LineClient client(port);
        QCOMPARE(client.ReadLine(), QByteArray("KESTREL VX CAMERA SERVER READY\r\n"));
        QCOMPARE(client.Command("CAM_GETSERIALNUMBER"),
                 QByteArray("CAM_GETSERIALNUMBER 21040017\r\n"));
        QCOMPARE(client.Command(QByteArray("A\x01"
                                           "B\\",
                                           4)),
                 QByteArray("ERROR unknown command\r\n"));
    }
    const QString stamp = QStringLiteral("^\\d\\d:\\d\\d:\\d\\d\\.\\d\\d\\d ");
    QVERIFY(sim.WaitForLine(stamp + "#1 connected from 127\\.0\\.0\\.1:\\d+$").hasMatch());
    QVERIFY(sim.WaitForLine(stamp + "#1 -> KESTREL VX CAMERA SERVER READY$").hasMatch());
    QVERIFY(sim.WaitForLine(stamp + "#1 <- CAM_GETSERIALNUMBER$").hasMatch());
    QVERIFY(sim.WaitForLine(stamp + "#1 -> CAM_GETSERIALNUMBER 21040017$").hasMatch());
    QVERIFY(sim.WaitForLine(stamp + "#1 <- A\\\\x01B\\\\\\\\$").hasMatch());
    QVERIFY(sim.WaitForLine(stamp + "#1 disconnected$").hasMatch());
    QVERIFY(sim.WaitForLine(stamp + "run: erasing 155 sectors in 0\\.4 s$").hasMatch());
    QVERIFY(sim.WaitForLine(stamp + "run: finished, hardware version now 1\\.2b\\.05$").hasMatch());

    sim.process.terminate(); // SIGTERM
    QVERIFY(sim.process.waitForFinished(kWaitMs));
    QCOMPARE(sim.process.exitStatus(), QProcess::NormalExit);
    QCOMPARE(sim.process.exitCode(), 0);
    QVERIFY(sim.WaitForLine(stamp + "stopped$").hasMatch());
}

void TestSimProgram::logsPowerCycle() {
    RunningSim sim({"--fast", "--run-in-progress", "--power-cycle-after", "0"});
    const quint16 port = sim.Port();
    QVERIFY2(port != 0, sim.output.constData());
    LineClient client(port);
    QCOMPARE(client.ReadLine(), QByteArray("KESTREL VX CAMERA SERVER READY\r\n"));
    const QString stamp = QStringLiteral("^\\d\\d:\\d\\d:\\d\\d\\.\\d\\d\\d ");
    QVERIFY(sim.WaitForLine(stamp + "run: finished, hardware version now 1\\.2b\\.05$").hasMatch());
    QVERIFY(sim.WaitForLine(stamp + "power cycle: camera off for 2000 ms$").hasMatch());
    QVERIFY(sim.WaitForLine(stamp + "#1 disconnected$").hasMatch());

    // The port taken while the camera is off: it says so, without a
    // connection number, and comes back once the port is free.
    QTcpServer holder;
    QVERIFY(holder.listen(QHostAddress(QHostAddress::LocalHost), port));
    QVERIFY(sim.WaitForLine(stamp + "power cycle: cannot listen again on 127\\.0\\.0\\.1 port " +
                            QString::number(port) + ": .+; trying again every 1 s$")
                .hasMatch());
    holder.close();
    QVERIFY(sim.WaitForLine(stamp + "power cycle: camera back, hardware version now 1\\.2b\\.05$")
                .hasMatch());
    LineClient back(port);
    QCOMPARE(back.ReadLine(), QByteArray("KESTREL VX CAMERA SERVER READY\r\n"));
    QVERIFY(sim.WaitForLine(stamp + "#2 connected from 127\\.0\\.0\\.1:\\d+$").hasMatch());
}

void TestSimProgram::quiet() {
    RunningSim sim({"--quiet"});
    const quint16 port = sim.Port();
    QVERIFY(port != 0);
    {
        LineClient client(port);
        QCOMPARE(client.ReadLine(), QByteArray("KESTREL VX CAMERA SERVER READY\r\n"));
        QCOMPARE(client.Command("CLOSE"), QByteArray("OK\r\n"));
    }
    sim.process.terminate();
    QVERIFY(sim.process.waitForFinished(kWaitMs));
    QCOMPARE(sim.process.exitCode(), 0);
    sim.output += sim.process.readAllStandardOutput();
    QCOMPARE(sim.output.count('\n'), 1); // the listening line alone
}

void TestSimProgram::servesSeveralCameras() {
    RunningSim sim({"--cameras", "2", "--serial", "0099", "--fast"});
    const QString stamp = QStringLiteral("^\\d\\d:\\d\\d:\\d\\d\\.\\d\\d\\d ");
    const QRegularExpressionMatch listening =
        sim.WaitForLine(stamp + "listening on 127\\.0\\.0\\.1 ports (\\d+) to (\\d+): 2 cameras, "
                                "serial numbers 0099 to 0100$");
    QVERIFY2(listening.hasMatch(), sim.output.constData());
    const quint16 port = static_cast<quint16>(listening.captured(1).toUInt());
    QCOMPARE(listening.captured(2).toUInt(), port + 1u);

    LineClient first(port);
    LineClient second(port + 1);
    QCOMPARE(first.ReadLine(), QByteArray("KESTREL VX CAMERA SERVER READY\r\n"));
    QCOMPARE(second.ReadLine(), QByteArray("KESTREL VX CAMERA SERVER READY\r\n"));
    QCOMPARE(first.Command("CAM_GETSERIALNUMBER"), QByteArray("CAM_GETSERIALNUMBER 0099\r\n"));
    QCOMPARE(second.Command("CAM_GETSERIALNUMBER"), QByteArray("CAM_GETSERIALNUMBER 0100\r\n"));
    // Each camera has its own state: a run on the second leaves the first idle.
    QCOMPARE(second.Command("CAM_FIRMWAREUPDATE 0"), QByteArray("OK\r\n"));
    QVERIFY(second.Ask("CAM_FIRMWAREUPDATE 1").startsWith("1 155 "));
    QCOMPARE(first.Ask("CAM_FIRMWAREUPDATE 1"), QByteArray("0 0 0 0"));
    // Each log line names its camera's port.
    const QString secondPort = QStringLiteral("port %1 ").arg(port + 1);
    QVERIFY(sim.WaitForLine(stamp + secondPort + "#1 <- CAM_FIRMWAREUPDATE 0$").hasMatch());
    QVERIFY(
        sim.WaitForLine(stamp + secondPort + "run: erasing 155 sectors in 0\\.4 s$").hasMatch());
    QVERIFY(sim.WaitForLine(stamp + QStringLiteral("port %1 ").arg(port) +
                            "#1 -> CAM_GETSERIALNUMBER 0099$")
                .hasMatch());
}

QTEST_MAIN(TestSimProgram)
#include "tst_sim_program.moc"
