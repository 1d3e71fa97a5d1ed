#include "flash_process.h"

#include <QTest>

using kestrel::test::FlashRun;
using kestrel::test::RunFlash;

class FlashUsageTest : public QObject {
    Q_OBJECT
private slots:
    void usageErrorsExitTwo_data();
    void usageErrorsExitTwo();
    void helpOfEveryCommand_data();
    void helpOfEveryCommand();
};

void FlashUsageTest::usageErrorsExitTwo_data() {
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<QString>("error");
    auto row = [](const char* name, QStringList arguments, const char* error) {
        QTest::newRow(name) << arguments << QString::fromUtf8(error);
    };
    row("no command", {}, "kestrel-flash: no command given");
    row("unknown command", {"flash", "1.2.3.4"}, "unknown command \"flash\"");
    row("info without address", {"info"}, "info needs at least one ADDRESS");
    row("update without address", {"update", "--json"}, "update needs at least one ADDRESS");
    row("watch of two cameras", {"watch", "10.0.0.1", "10.0.0.2"},
        "watch follows one camera: give one ADDRESS");
    row("bad octet", {"info", "10.0.0.256"},
        "bad camera address \"10.0.0.256\": not an IPv4 address or host name");
    row("three octets", {"info", "10.0.1"},
        "bad camera address \"10.0.1\": not an IPv4 address or host name");
    row("port zero", {"update", "10.0.0.1:0"},
        "bad camera address \"10.0.0.1:0\": the port must be a number from 1 to 65535");
    row("port too big", {"update", "10.0.0.1:65536"}, "the port must be a number from 1 to 65535");
    row("port not a number", {"update", "10.0.0.1:50a"},
        "the port must be a number from 1 to 65535");
    row("empty port", {"info", "cam:"}, "the port must be a number from 1 to 65535");
    row("ipv6", {"info", "::1"}, "expected HOST or HOST:PORT");
    row("no host", {"info", ":5000"}, "no host");
    row("bad host name", {"info", "cam_07;rm"}, "not an IPv4 address or host name");
    row("same camera twice", {"update", "10.0.0.1", "10.0.0.1:5000"},
        "camera 10.0.0.1:5000 is given twice");
    row("unknown option", {"update", "--force", "10.0.0.1"}, "Unknown option 'force'.");
    row("report without file", {"update", "10.0.0.1", "--report"},
        "Missing value after '--report'.");
    row("report on info", {"info", "--report", "r.txt", "10.0.0.1"}, "Unknown option 'report'.");
    row("log-dir without folder", {"info", "10.0.0.1", "--log-dir"},
        "Missing value after '--log-dir'.");
    row("empty log-dir", {"watch", "--log-dir", "", "10.0.0.1"}, "--log-dir needs a folder name");
    row("log-dir on stage", {"stage", "--log-dir", "l", "--hw", "a", "--sw", "b", "/a"},
        "Unknown option 'log-dir'.");
    row("timeout without confirm", {"update", "--reboot-timeout", "30", "10.0.0.1"},
        "--reboot-timeout goes with --confirm-reboot");
    row("timeout not a number", {"update", "--confirm-reboot", "--reboot-timeout", "x", "a"},
        "--reboot-timeout takes seconds from 1 to 86400");
    row("json and plain", {"info", "--json", "--plain", "10.0.0.1"},
        "--json and --plain cannot be used together");
    row("stage without hw", {"stage", "--sw", "vx_server", "/tmp"},
        "stage needs --hw FILE and --sw FILE");
    row("stage without folder", {"stage", "--hw", "a.rbf", "--sw", "vx_server"},
        "stage needs exactly one FOLDER");
    row("stage with two folders", {"stage", "--hw", "a.rbf", "--sw", "vx", "/a", "/b"},
        "stage needs exactly one FOLDER");
    row("stage with a short SHA-256",
        {"stage", "--hw", "a", "--sw", "b", "--hw-sha256", "0a1", "/"},
        "--hw-sha256 takes a SHA-256 of 64 hexadecimal digits");
    row("stage with a SHA-256 twice",
        {"stage", "--hw", "a", "--sw", "b", "--sw-sha256", "", "--sw-sha256", "", "/"},
        "--sw-sha256 is given once");
    row("verify without sw", {"verify", "--hw", "a.rbf"}, "verify needs --hw FILE and --sw FILE");
    row("verify with a folder", {"verify", "--hw", "a.rbf", "--sw", "vx", "/a"},
        "verify takes no FOLDER: it copies nothing");
    row("target of three digits", {"plan", "--target-hw-version", "1.2B.005", "10.0.0.1"},
        "--target-hw-version takes a version as the camera shows it");
    row("target of two parts", {"update", "--target-hw-version", "1.2B", "10.0.0.1"},
        "--target-hw-version takes a version as the camera shows it");
    row("reinstall without target", {"update", "--reinstall", "10.0.0.1"},
        "--reinstall goes with --target-hw-version");
    row("target of info", {"info", "--target-hw-version", "1.2.3", "10.0.0.1"},
        "Unknown option 'target-hw-version'.");
    row("SHA-256 of an update", {"update", "--hw-sha256", "0a", "10.0.0.1"},
        "Unknown option 'hw-sha256'.");
}

void FlashUsageTest::usageErrorsExitTwo() {
    QFETCH(QStringList, arguments);
    QFETCH(QString, error);
    const FlashRun run = RunFlash(arguments, 10000);
    QVERIFY(run.finished);
    QCOMPARE(run.exitCode, 2);
    QVERIFY(run.out.isEmpty());
    const QString err = QString::fromUtf8(run.err);
    QVERIFY2(err.contains(error), qPrintable(err));
    QVERIFY2(err.contains(QStringLiteral("--help")), qPrintable(err)); // the way to the usage
}

void FlashUsageTest::helpOfEveryCommand_data() {
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<QString>("usage");
    QTest::newRow("program") << QStringList{"--help"}
                             << "Usage: kestrel-flash COMMAND [OPTIONS] ...";
    QTest::newRow("info") << QStringList{"info", "--help"}
                          << "Usage: kestrel-flash info [OPTIONS] ADDRESS...";
    QTest::newRow("update") << QStringList{"update", "-h"}
                            << "Usage: kestrel-flash update [OPTIONS] ADDRESS...";
    QTest::newRow("watch") << QStringList{"watch", "--help", "10.0.0.1"}
                           << "Usage: kestrel-flash watch [OPTIONS] ADDRESS";
    QTest::newRow("stage") << QStringList{"stage", "--help"}
                           << "Usage: kestrel-flash stage [OPTIONS] --hw FILE --sw FILE FOLDER";
    QTest::newRow("verify") << QStringList{"verify", "--help"}
                            << "Usage: kestrel-flash verify [OPTIONS] --hw FILE --sw FILE";
}

void FlashUsageTest::helpOfEveryCommand() {
    QFETCH(QStringList, arguments);
    QFETCH(QString, usage);
    const FlashRun run = RunFlash(arguments, 10000);
    QVERIFY(run.finished);
    QCOMPARE(run.exitCode, 0);
    QVERIFY(run.err.isEmpty());
    const QStringList lines = run.OutLines();
    QVERIFY(!lines.isEmpty());
    QCOMPARE(lines.first(), usage);
    QVERIFY(
        run.out.contains(arguments.first() == "verify"
                             ? "Exit status: 0 when both files would be accepted, 1 when"
                             : "Exit status: 0 when every camera succeeded, 1 when any failed"));
}

QTEST_MAIN(FlashUsageTest)
#include "flash_usage_test.moc"
