#include "camera_scanner.h"
#include "scan_targets.h"
#include "sim_thread.h"

#include <QElapsedTimer>
#include <QHostAddress>
#include <QSignalSpy>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTest>

#include <memory>

using namespace kestrel;
using kestrel::sim::SimOptions;
using kestrel::sim::SimThread;

namespace {

// A server that is no camera, on an address and port of the test's choice:
// it greets with its own line (or stays silent) and answers every line with
// another. It keeps when it accepted each connection, by one clock for all.
class PeerServer : public QTcpServer {
public:
    PeerServer(QByteArray greeting, QByteArray answer) {
        connect(this, &QTcpServer::newConnection, this, [=, this] {
            QTcpSocket* socket = nextPendingConnection();
            ++open;
            acceptedAt << Clock().elapsed();
            socket->write(greeting.isEmpty() ? greeting : greeting + "\r\n");
            connect(socket, &QTcpSocket::readyRead, this, [=, this] {
                while (socket->canReadLine()) {
                    lines << socket->readLine().trimmed();
                    socket->write(answer + "\r\n");
                }
            });
            connect(socket, &QTcpSocket::disconnected, this, [=, this] {
                --open;
                ++closed;
                heldMs = Clock().elapsed() - acceptedAt.last();
                socket->deleteLater();
            });
        });
    }
    static QElapsedTimer& Clock() {
        static QElapsedTimer clock = [] {
            QElapsedTimer started;
            started.start();
            return started;
        }();
        return clock;
    }
    QByteArrayList lines;
    QList<qint64> acceptedAt;
    int open = 0;
    int closed = 0;
    qint64 heldMs = -1; // how long the last connection stayed open
};

ScanTarget Range(const char* text, quint16 port) {
    return *ReadScanTarget(QByteArray(text).toStdString(), port).target;
}

const QString kBase = QStringLiteral("127.0.0.%1");

} // namespace

class CameraScannerTest : public QObject {
    Q_OBJECT
private slots:
    void findsExactlyTheCameras();
    void boundsTheLooksAtOnce();
    void stopEndsAWaitAtOnce();
};

void CameraScannerTest::findsExactlyTheCameras() {
    // .41 and .42 cameras, .44 programming, .45 an impostor, .46 silent, .47
    // a camera that hangs up after two questions; .43 and .48 nobody.
    SimOptions colour;
    colour.quiet = true;
    colour.serial = "21040017";
    SimThread first(colour);
    QVERIFY2(first.Start(QHostAddress(kBase.arg(41)), 0), qPrintable(first.ErrorString()));
    const quint16 port = first.Port();
    SimOptions mono = colour;
    mono.serial = "5550123";
    mono.colorSensor = false;
    SimThread second(mono);
    QVERIFY2(second.Start(QHostAddress(kBase.arg(42)), port), qPrintable(second.ErrorString()));
    SimOptions busy = colour;
    busy.serial = "777";
    busy.runInProgress = true;
    SimThread programming(busy);
    QVERIFY2(programming.Start(QHostAddress(kBase.arg(44)), port),
             qPrintable(programming.ErrorString()));
    SimOptions hangsUp = colour;
    hangsUp.closeAfter = 2;
    SimThread shortLived(hangsUp);
    QVERIFY(shortLived.Start(QHostAddress(kBase.arg(47)), port));
    PeerServer impostor("220 mail.example ESMTP ready", "500 5.5.1 Command unrecognized");
    QVERIFY(impostor.listen(QHostAddress(kBase.arg(45)), port));
    PeerServer silent("", "");
    QVERIFY(silent.listen(QHostAddress(kBase.arg(46)), port));

    ScanSettings settings;
    settings.connectTimeoutMs = 500;
    settings.greetingTimeoutMs = 400;
    CameraScanner scanner(settings);
    QSignalSpy found(&scanner, &CameraScanner::cameraFound);
    QSignalSpy progress(&scanner, &CameraScanner::progress);
    QSignalSpy finished(&scanner, &CameraScanner::finished);
    QElapsedTimer clock;
    clock.start();
    // .44 given twice is asked once.
    QVERIFY(scanner.Start({Range("127.0.0.44", port), Range("127.0.0.41-48", port)}));
    QVERIFY(!scanner.Start({Range("127.0.0.41-48", port)})); // one search at a time
    QVERIFY(finished.wait(10000));
    const qint64 elapsed = clock.elapsed();
    QVERIFY(!scanner.Searching());

    QMap<QString, ScanFinding> byAddress;
    for (const QList<QVariant>& signal : found) {
        const auto finding = signal.at(0).value<ScanFinding>();
        QCOMPARE(finding.port, port);
        byAddress.insert(finding.address, finding);
    }
    QCOMPARE(byAddress.keys(),
             (QStringList{kBase.arg(41), kBase.arg(42), kBase.arg(44), kBase.arg(47)}));
    QCOMPARE(found.size(), 4);
    QCOMPARE(byAddress[kBase.arg(47)].state, ScanFinding::State::Lost);
    QVERIFY(byAddress[kBase.arg(47)].identity.IsEmpty());
    const ScanFinding& one = byAddress[kBase.arg(41)];
    QCOMPARE(one.state, ScanFinding::State::Idle);
    QCOMPARE(one.identity.serial, QStringLiteral("21040017"));
    QCOMPARE(one.identity.model, QStringLiteral("VX340"));
    QCOMPARE(one.identity.hardware, QStringLiteral("1.2A.3F"));
    QCOMPARE(one.identity.software, QStringLiteral("vx_server 3.8.2 build 1187"));
    QCOMPARE(byAddress[kBase.arg(42)].identity.serial, QStringLiteral("5550123"));
    QCOMPARE(byAddress[kBase.arg(44)].state, ScanFinding::State::Programming);
    QVERIFY(byAddress[kBase.arg(44)].identity.IsEmpty());
    QCOMPARE(progress.size(), 8);
    QCOMPARE(progress.last().at(0).toLongLong(), 8);
    QCOMPARE(progress.last().at(1).toLongLong(), 8);

    // Exactly the questions that change nothing, then the goodbye; the
    // programming camera only the update status, not even the goodbye.
    QVERIFY(second.WaitForReceivedLines(9, 2000));
    QCOMPARE(second.ReceivedLines(),
             (QList<QByteArray>{"CAM_FIRMWAREUPDATE 1", "CAM_GETSERIALNUMBER",
                                "CAM_GETCAMERATYPE", "CAM_GETSENSORCOLOR", "REG_READ 6E80",
                                "REG_READ 6F80", "REG_READ 1F80", "GETSERVER_VERSION", "CLOSE"}));
    QVERIFY(first.WaitForReceivedLines(10, 2000));
    QCOMPARE(first.ReceivedLines().at(4), QByteArray("CAM_GETSENSORBAYERTYPE"));
    QCOMPARE(first.ReceivedLines().last(), QByteArray("CLOSE"));
    QCOMPARE(programming.ReceivedLines(), QList<QByteArray>{"CAM_FIRMWAREUPDATE 1"});
    QTRY_COMPARE_WITH_TIMEOUT(programming.ConnectionsOpen(), 0, 2000);

    // The impostor was asked the one question and left; the silent one asked
    // nothing and left at its greeting limit.
    QCOMPARE(impostor.lines, QByteArrayList{"CAM_FIRMWAREUPDATE 1"});
    QTRY_COMPARE_WITH_TIMEOUT(impostor.closed, 1, 2000);
    QVERIFY(silent.lines.isEmpty());
    QTRY_COMPARE_WITH_TIMEOUT(silent.closed, 1, 2000);
    QVERIFY2(silent.heldMs >= 350 && silent.heldMs < 1400, qPrintable(QString::number(silent.heldMs)));
    QVERIFY2(elapsed < 2000, qPrintable(QString::number(elapsed)));
}

void CameraScannerTest::boundsTheLooksAtOnce() {
    // Four silent servers and two looks at a time: the third is reached only
    // once one of the first two has given up on its greeting.
    std::vector<std::unique_ptr<PeerServer>> servers;
    quint16 port = 0;
    for (int host = 51; host <= 54; ++host) {
        servers.push_back(std::make_unique<PeerServer>("", ""));
        QVERIFY(servers.back()->listen(QHostAddress(kBase.arg(host)), port));
        port = servers.back()->serverPort();
    }
    ScanSettings settings;
    settings.parallel = 2;
    settings.greetingTimeoutMs = 1000;
    CameraScanner scanner(settings);
    QSignalSpy finished(&scanner, &CameraScanner::finished);
    QVERIFY(scanner.Start({Range("127.0.0.51-54", port)}));
    QVERIFY(finished.wait(10000));
    QList<qint64> accepted;
    for (const auto& server : servers) {
        QTRY_COMPARE_WITH_TIMEOUT(server->closed, 1, 2000);
        accepted += server->acceptedAt;
    }
    std::sort(accepted.begin(), accepted.end());
    QVERIFY(accepted[1] - accepted[0] < 900);
    QVERIFY(accepted[2] - accepted[0] >= 900);
}

void CameraScannerTest::stopEndsAWaitAtOnce() {
    PeerServer silent("", "");
    QVERIFY(silent.listen(QHostAddress(kBase.arg(61)), 0));
    const quint16 port = silent.serverPort();
    ScanSettings settings;
    settings.greetingTimeoutMs = 60000;
    CameraScanner scanner(settings);
    QSignalSpy found(&scanner, &CameraScanner::cameraFound);
    QSignalSpy finished(&scanner, &CameraScanner::finished);
    QVERIFY(scanner.Start({Range("127.0.0.61-62", port)}));
    QTRY_COMPARE_WITH_TIMEOUT(silent.open, 1, 5000);
    QElapsedTimer clock;
    clock.start();
    scanner.Stop();
    QVERIFY(finished.wait(5000));
    QVERIFY2(clock.elapsed() < 2000, qPrintable(QString::number(clock.elapsed())));
    QTRY_COMPARE_WITH_TIMEOUT(silent.closed, 1, 2000);
    QVERIFY(found.isEmpty());
    QVERIFY(!scanner.Searching());
}

QTEST_GUILESS_MAIN(CameraScannerTest)
#include "camera_scanner_test.moc"
