// The simulator's command line.

#include "escapes.h"
#include "sim_options.h"

#include <QTest>

using kestrel::sim::EscapeBytes;
using kestrel::sim::ParseSimOptions;
using kestrel::sim::SimOptions;

namespace {

QString Optional(const std::optional<int>& value) {
    return value ? QString::number(*value) : QStringLiteral("off");
}

// One setting of the options as text, so that a data table can name it.
QString Field(const SimOptions& o, const QString& name) {
    if (name == "listen")
        return o.listenAddress.toString();
    if (name == "port")
        return QString::number(o.port);
    if (name == "quiet")
        return QString::number(o.quiet);
    if (name == "cameras")
        return QString::number(o.cameras);
    if (name == "greeting")
        return EscapeBytes(o.greeting);
    if (name == "serial")
        return EscapeBytes(o.serial);
    if (name == "type")
        return QString::number(o.cameraType);
    if (name == "color")
        return QString::number(o.colorSensor);
    if (name == "bayer")
        return QString::number(o.bayerType);
    if (name == "hw")
        return QString::fromLatin1(o.hwVersion.Text());
    if (name == "newhw")
        return QString::fromLatin1(o.newHwVersion.Text());
    if (name == "server")
        return EscapeBytes(o.serverVersion);
    if (name == "totals")
        return QStringLiteral("%1/%2").arg(o.eraseTotal).arg(o.programTotal);
    if (name == "timing")
        return QStringLiteral("%1/%2/%3").arg(o.eraseMs).arg(o.programMs).arg(o.lingerMs);
    if (name == "delay")
        return QString::number(o.startDelayMs);
    if (name == "inprogress")
        return QString::number(o.runInProgress);
    if (name == "stall")
        return Optional(o.stallAtPercent);
    if (name == "abort")
        return Optional(o.abortAtPercent);
    if (name == "power")
        return QStringLiteral("%1/%2").arg(Optional(o.powerCycleAfterMs)).arg(o.powerOffMs);
    if (name == "closeafter")
        return Optional(o.closeAfter);
    if (name == "closemid")
        return Optional(o.closeMidReplyAt);
    if (name == "stopafter")
        return Optional(o.stopAnsweringAfter);
    if (name == "nogreeting")
        return QString::number(o.noGreeting);
    if (name == "slow")
        return QString::number(o.slowBytesMs);
    if (name == "garbage")
        return Optional(o.garbageAt);
    if (name == "overlong")
        return QStringLiteral("%1/%2").arg(Optional(o.overlongAt)).arg(o.overlongLength);
    if (name == "barelf")
        return QString::number(o.bareLf);
    if (name == "replies") {
        QStringList replies;
        for (const auto& reply : o.fixedReplies) {
            replies << EscapeBytes(reply.command) + '=' + EscapeBytes(reply.text);
        }
        return replies.join(';');
    }
    return QStringLiteral("unknown field ") + name;
}

// Every field Field names.
constexpr const char* kFields[] = {
    "cameras",   "listen",     "port",  "quiet",   "greeting", "serial",     "type",
    "color",     "bayer",      "hw",    "newhw",   "server",   "totals",     "timing",
    "delay",     "inprogress", "stall", "abort",   "power",    "closeafter", "closemid",
    "stopafter", "nogreeting", "slow",  "garbage", "overlong", "barelf",     "replies"};

} // namespace

class TestSimOptions : public QObject {
    Q_OBJECT

private slots:
    void defaults_data();
    void defaults();
    void goodOptions_data();
    void goodOptions();
    void badOptions_data();
    void badOptions();
    void countedSerial_data();
    void countedSerial();
    void help();
    void helpTextNamesOptions();
};

void TestSimOptions::defaults_data() {
    QTest::addColumn<QString>("field");
    for (const char* field : kFields) {
        QTest::newRow(field) << QString::fromLatin1(field);
    }
}

void TestSimOptions::defaults() {
    // No option given: every field keeps the value of the options' own
    // defaults, which the help text also shows.
    QFETCH(QString, field);
    const auto parsed = ParseSimOptions({"kestrel-camera-sim"});
    QCOMPARE(parsed.error, QString());
    QVERIFY(!parsed.helpRequested);
    const QString value = Field(SimOptions{}, field);
    QVERIFY2(!value.startsWith("unknown field"), qPrintable(field));
    QCOMPARE(Field(parsed.options, field), value);
}

void TestSimOptions::goodOptions_data() {
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<QString>("field");
    QTest::addColumn<QString>("value");

    QTest::newRow("listen any") << QStringList{"--listen", "0.0.0.0"} << "listen"
                                << "0.0.0.0";
    QTest::newRow("listen localhost") << QStringList{"--listen", "localhost"} << "listen"
                                      << "127.0.0.1";
    QTest::newRow("listen ipv6") << QStringList{"--listen", "::1"} << "listen"
                                 << "::1";
    QTest::newRow("port 0") << QStringList{"--port", "0"} << "port"
                            << "0";
    QTest::newRow("port max") << QStringList{"--port", "65535"} << "port"
                              << "65535";
    QTest::newRow("port with =") << QStringList{"--port=6000"} << "port"
                                 << "6000";
    QTest::newRow("quiet") << QStringList{"--quiet"} << "quiet"
                           << "1";
    QTest::newRow("cameras") << QStringList{"--cameras", "1000"} << "cameras"
                             << "1000";
    QTest::newRow("cameras up to the last port")
        << QStringList{"--port", "64536", "--cameras", "1000"} << "cameras"
        << "1000";
    QTest::newRow("cameras on any free ports")
        << QStringList{"--port", "0", "--cameras", "65535"} << "cameras"
        << "65535";
    QTest::newRow("greeting") << QStringList{"--greeting", "HELLO CAM"} << "greeting"
                              << "HELLO CAM";
    QTest::newRow("empty greeting") << QStringList{"--greeting", ""} << "greeting"
                                    << "";
    QTest::newRow("serial") << QStringList{"--serial", "SN 7"} << "serial"
                            << "SN 7";
    QTest::newRow("type") << QStringList{"--type", "-3"} << "type"
                          << "-3";
    QTest::newRow("mono") << QStringList{"--mono"} << "color"
                          << "0";
    QTest::newRow("color") << QStringList{"--color"} << "color"
                           << "1";
    QTest::newRow("bayer") << QStringList{"--bayer", "0"} << "bayer"
                           << "0";
    QTest::newRow("hw version upper") << QStringList{"--hw-version", "1.2A.3F"} << "hw"
                                      << "1.2a.3f";
    QTest::newRow("new hw version") << QStringList{"--new-hw-version", "2.0.ffffffff"} << "newhw"
                                    << "2.0.ffffffff";
    QTest::newRow("new hw reply") << QStringList{"--new-hw-version", "2.0.1", "--new-hw-reply",
                                                 "ERR\\x01"}
                                  << "newhw"
                                  << "ERR\x01.ERR\x01.ERR\x01";
    QTest::newRow("server version") << QStringList{"--server-version", "vx 1"} << "server"
                                    << "vx 1";
    QTest::newRow("totals") << QStringList{"--erase-total", "0", "--program-total", "7"} << "totals"
                            << "0/7";
    QTest::newRow("seconds") << QStringList{"--erase-seconds",  "1.5", "--program-seconds", "0",
                                            "--linger-seconds", "0.25"}
                             << "timing"
                             << "1500/0/250";
    QTest::newRow("fast") << QStringList{"--fast"} << "timing"
                          << "400/600/500";
    QTest::newRow("fast, erase given") << QStringList{"--erase-seconds", "2", "--fast"} << "timing"
                                       << "2000/600/500";
    QTest::newRow("start delay") << QStringList{"--start-delay-ms", "300"} << "delay"
                                 << "300";
    QTest::newRow("in progress") << QStringList{"--run-in-progress"} << "inprogress"
                                 << "1";
    QTest::newRow("stall") << QStringList{"--stall-at", "50"} << "stall"
                           << "50";
    QTest::newRow("stall 100") << QStringList{"--stall-at", "100"} << "stall"
                               << "100";
    QTest::newRow("abort 0") << QStringList{"--abort-at", "0"} << "abort"
                             << "0";
    QTest::newRow("power cycle") << QStringList{"--power-cycle-after", "200", "--power-off-ms",
                                                "500"}
                                 << "power"
                                 << "200/500";
    QTest::newRow("power cycle at once") << QStringList{"--power-cycle-after", "0"} << "power"
                                         << "0/2000";
    QTest::newRow("power off 0") << QStringList{"--power-off-ms", "0"} << "power"
                                 << "off/0";
    QTest::newRow("power cycle max") << QStringList{"--power-cycle-after=86400000"} << "power"
                                     << "86400000/2000";
    QTest::newRow("fast keeps power cycle")
        << QStringList{"--power-cycle-after", "200", "--power-off-ms", "500", "--fast"} << "power"
        << "200/500";
    QTest::newRow("fast, no power cycle") << QStringList{"--fast"} << "power"
                                          << "off/2000";
    QTest::newRow("close after 0") << QStringList{"--close-after", "0"} << "closeafter"
                                   << "0";
    QTest::newRow("close mid reply") << QStringList{"--close-mid-reply", "1"} << "closemid"
                                     << "1";
    QTest::newRow("stop answering") << QStringList{"--stop-answering-after", "3"} << "stopafter"
                                    << "3";
    QTest::newRow("no greeting") << QStringList{"--no-greeting"} << "nogreeting"
                                 << "1";
    QTest::newRow("slow bytes") << QStringList{"--slow-bytes", "20"} << "slow"
                                << "20";
    QTest::newRow("garbage") << QStringList{"--garbage-at", "4"} << "garbage"
                             << "4";
    QTest::newRow("overlong") << QStringList{"--overlong-at", "2", "--overlong-length", "20"}
                              << "overlong"
                              << "2/20";
    QTest::newRow("bare lf") << QStringList{"--bare-lf"} << "barelf"
                             << "1";
    QTest::newRow("reply with zero byte")
        << QStringList{"--reply", "CAM_GETSERIALNUMBER=SN 12\\x0034"} << "replies"
        << "CAM_GETSERIALNUMBER=SN 12\\x0034";
    QTest::newRow("reply command upper-cased")
        << QStringList{"--reply", "reg_read 6e80=a\\tb\\r\\n\\\\"} << "replies"
        << "REG_READ 6E80=a\\tb\\r\\n\\\\";
    QTest::newRow("reply text with =") << QStringList{"--reply", "X=a=b"} << "replies"
                                       << "X=a=b";
    QTest::newRow("empty reply text") << QStringList{"--reply", "X="} << "replies"
                                      << "X=";
    QTest::newRow("two replies") << QStringList{"--reply", "A=1", "--reply", "B=2"} << "replies"
                                 << "A=1;B=2";
}

void TestSimOptions::goodOptions() {
    QFETCH(QStringList, arguments);
    QFETCH(QString, field);
    QFETCH(QString, value);
    const auto parsed = ParseSimOptions(QStringList{"kestrel-camera-sim"} + arguments);
    QCOMPARE(parsed.error, QString());
    QVERIFY(!parsed.helpRequested);
    QCOMPARE(Field(parsed.options, field), value);
}

void TestSimOptions::badOptions_data() {
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<QString>("error");

    QTest::newRow("unknown") << QStringList{"--bogus"} << "Unknown option 'bogus'";
    QTest::newRow("missing value") << QStringList{"--port"} << "Missing value after '--port'";
    QTest::newRow("positional") << QStringList{"extra"} << "unexpected argument 'extra'";
    QTest::newRow("port too big") << QStringList{"--port", "65536"}
                                  << "--port: '65536' is not a whole number from 0 to 65535";
    QTest::newRow("port negative") << QStringList{"--port", "-1"} << "--port: '-1'";
    QTest::newRow("port text") << QStringList{"--port", "http"} << "--port: 'http'";
    QTest::newRow("no cameras") << QStringList{"--cameras", "0"}
                                << "--cameras: '0' is not a whole number from 1 to 65535";
    QTest::newRow("cameras text") << QStringList{"--cameras", "ten"} << "--cameras: 'ten'";
    QTest::newRow("cameras past the last port")
        << QStringList{"--port", "64537", "--cameras", "1000"}
        << "--cameras: 1000 cameras from port 64537 on go past port 65535";
    QTest::newRow("listen") << QStringList{"--listen", "camera.local"}
                            << "--listen: 'camera.local' is not an IP address";
    QTest::newRow("type") << QStringList{"--type", "seven"} << "--type: 'seven'";
    QTest::newRow("bayer") << QStringList{"--bayer", "1.5"} << "--bayer: '1.5'";
    QTest::newRow("mono and color")
        << QStringList{"--mono", "--color"} << "--mono and --color exclude each other";
    QTest::newRow("serial control")
        << QStringList{"--serial", "a\tb"} << "--serial: 'a\tb' holds a control character";
    QTest::newRow("greeting control") << QStringList{"--greeting", "HI\r"} << "--greeting:";
    QTest::newRow("hw two parts") << QStringList{"--hw-version", "1.2"}
                                  << "--hw-version: '1.2' is not a version of three hex parts";
    QTest::newRow("hw not hex") << QStringList{"--hw-version", "1.2g.3"} << "--hw-version:";
    QTest::newRow("hw empty part") << QStringList{"--hw-version", "1..3"} << "--hw-version:";
    QTest::newRow("hw too long") << QStringList{"--new-hw-version", "123456789.1.1"}
                                 << "--new-hw-version:";
    QTest::newRow("hw prefix") << QStringList{"--hw-version", "0x1.2.3"} << "--hw-version:";
    QTest::newRow("new hw reply escape")
        << QStringList{"--new-hw-reply", "\\q"} << "--new-hw-reply: '\\q' unknown escape \\q";
    QTest::newRow("erase total") << QStringList{"--erase-total", "-1"} << "--erase-total: '-1'";
    QTest::newRow("program total")
        << QStringList{"--program-total", "many"} << "--program-total: 'many'";
    QTest::newRow("erase seconds negative")
        << QStringList{"--erase-seconds", "-1"}
        << "--erase-seconds: '-1' is not a number of seconds from 0 to 86400";
    QTest::newRow("erase seconds nan")
        << QStringList{"--erase-seconds", "nan"} << "--erase-seconds: 'nan'";
    QTest::newRow("program seconds")
        << QStringList{"--program-seconds", "86401"} << "--program-seconds: '86401'";
    QTest::newRow("linger seconds")
        << QStringList{"--linger-seconds", "3s"} << "--linger-seconds: '3s'";
    QTest::newRow("start delay") << QStringList{"--start-delay-ms", "-5"}
                                 << "--start-delay-ms: '-5'";
    QTest::newRow("stall over 100") << QStringList{"--stall-at", "101"}
                                    << "--stall-at: '101' is not a whole number from 0 to 100";
    QTest::newRow("abort negative") << QStringList{"--abort-at", "-1"} << "--abort-at: '-1'";
    QTest::newRow("power cycle negative")
        << QStringList{"--power-cycle-after", "-1"}
        << "--power-cycle-after: '-1' is not a whole number from 0 to 86400000";
    QTest::newRow("power cycle text")
        << QStringList{"--power-cycle-after", "soon"} << "--power-cycle-after: 'soon'";
    QTest::newRow("power cycle too long")
        << QStringList{"--power-cycle-after", "86400001"} << "--power-cycle-after: '86400001'";
    QTest::newRow("power cycle no value")
        << QStringList{"--power-cycle-after"} << "Missing value after '--power-cycle-after'";
    QTest::newRow("power off negative")
        << QStringList{"--power-off-ms", "-5"}
        << "--power-off-ms: '-5' is not a whole number from 0 to 86400000";
    QTest::newRow("power off fraction")
        << QStringList{"--power-off-ms", "1.5"} << "--power-off-ms: '1.5'";
    QTest::newRow("power off empty") << QStringList{"--power-off-ms", ""} << "--power-off-ms: ''";
    QTest::newRow("close after") << QStringList{"--close-after", "-1"} << "--close-after: '-1'";
    QTest::newRow("close mid reply 0")
        << QStringList{"--close-mid-reply", "0"} << "--close-mid-reply: '0'";
    QTest::newRow("stop answering")
        << QStringList{"--stop-answering-after", "x"} << "--stop-answering-after: 'x'";
    QTest::newRow("slow bytes") << QStringList{"--slow-bytes", "-1"} << "--slow-bytes: '-1'";
    QTest::newRow("garbage 0") << QStringList{"--garbage-at", "0"} << "--garbage-at: '0'";
    QTest::newRow("overlong 0") << QStringList{"--overlong-at", "0"} << "--overlong-at: '0'";
    QTest::newRow("overlong length")
        << QStringList{"--overlong-length", "-5"} << "--overlong-length: '-5'";
    QTest::newRow("reply without =")
        << QStringList{"--reply", "CLOSE"} << "--reply: 'CLOSE' is not CMD=TEXT";
    QTest::newRow("reply without command")
        << QStringList{"--reply", "=OK"} << "--reply: '=OK' is not CMD=TEXT";
    QTest::newRow("reply bad escape")
        << QStringList{"--reply", "A=\\q"} << "--reply: 'A=\\q': unknown escape \\q";
    QTest::newRow("reply short hex")
        << QStringList{"--reply", "A=\\x4"} << "\\x must be followed by two hex digits";
    QTest::newRow("reply last backslash")
        << QStringList{"--reply", "A=x\\"} << "a backslash stands last";
}

void TestSimOptions::badOptions() {
    QFETCH(QStringList, arguments);
    QFETCH(QString, error);
    const auto parsed = ParseSimOptions(QStringList{"kestrel-camera-sim"} + arguments);
    QVERIFY2(parsed.error.contains(error), qPrintable(parsed.error));
    QVERIFY(!parsed.helpRequested);
}

void TestSimOptions::countedSerial_data() {
    QTest::addColumn<QByteArray>("serial");
    QTest::addColumn<int>("steps");
    QTest::addColumn<QByteArray>("counted");

    QTest::newRow("first camera") << QByteArray("21040017") << 0 << QByteArray("21040017");
    QTest::newRow("second camera") << QByteArray("21040017") << 1 << QByteArray("21040018");
    QTest::newRow("thousandth camera") << QByteArray("21040017") << 999 << QByteArray("21041016");
    QTest::newRow("carry, width kept") << QByteArray("0099") << 1 << QByteArray("0100");
    QTest::newRow("carry, widened") << QByteArray("99") << 1 << QByteArray("100");
    QTest::newRow("widened by steps") << QByteArray("9") << 999 << QByteArray("1008");
    QTest::newRow("letters kept") << QByteArray("SN 7") << 3 << QByteArray("SN 10");
    QTest::newRow("digits inside kept") << QByteArray("A1B2") << 9 << QByteArray("A1B11");
    QTest::newRow("longer than a number")
        << QByteArray("99999999999999999999") << 1 << QByteArray("100000000000000000000");
    QTest::newRow("no digits, third") << QByteArray("ABC") << 2 << QByteArray("ABC2");
    QTest::newRow("empty") << QByteArray() << 5 << QByteArray("5");
}

void TestSimOptions::countedSerial() {
    QFETCH(QByteArray, serial);
    QFETCH(int, steps);
    QFETCH(QByteArray, counted);
    QCOMPARE(kestrel::sim::CountedSerial(serial, steps), counted);
    // A camera's options differ from the first camera's in the serial alone.
    const auto parsed =
        ParseSimOptions({"kestrel-camera-sim", "--serial", QString::fromLatin1(serial), "--cameras",
                         QString::number(steps + 1), "--fast", "--close-after", "3"});
    QCOMPARE(parsed.error, QString());
    const SimOptions camera = parsed.options.ForCamera(steps);
    for (const char* field : kFields) {
        if (QByteArray(field) == "serial")
            QCOMPARE(Field(camera, field), EscapeBytes(counted));
        else
            QCOMPARE(Field(camera, field), Field(parsed.options, field));
    }
}

void TestSimOptions::help() {
    for (const QString& option :
         {QStringLiteral("--help"), QStringLiteral("-h"), QStringLiteral("--help-all")}) {
        const auto parsed = ParseSimOptions({"kestrel-camera-sim", option, "--port", "9"});
        QVERIFY(parsed.helpRequested);
        QCOMPARE(parsed.error, QString());
    }
}

void TestSimOptions::helpTextNamesOptions() {
    const QString help = kestrel::sim::SimOptionsHelp();
    for (const char* option : {"--listen",
                               "--port",
                               "--cameras",
                               "--quiet",
                               "--greeting",
                               "--serial",
                               "--type",
                               "--mono",
                               "--color",
                               "--bayer",
                               "--hw-version",
                               "--new-hw-version",
                               "--new-hw-reply",
                               "--server-version",
                               "--erase-total",
                               "--erase-seconds",
                               "--program-total",
                               "--program-seconds",
                               "--linger-seconds",
                               "--fast",
                               "--start-delay-ms",
                               "--run-in-progress",
                               "--stall-at",
                               "--abort-at",
                               "--power-cycle-after",
                               "--power-off-ms",
                               "--close-after",
                               "--close-mid-reply",
                               "--stop-answering-after",
                               "--no-greeting",
                               "--slow-bytes",
                               "--garbage-at",
                               "--overlong-at",
                               "--overlong-length",
                               "--bare-lf",
                               "--reply"}) {
        QVERIFY2(help.contains(QLatin1String(option)), option);
    }
}

QTEST_MAIN(TestSimOptions)
#include "tst_sim_options.moc"
