#include "sim_options.h"

#include "escapes.h"

#include <QCommandLineOption>
#include <QCommandLineParser>

#include <climits>
#include <functional>

namespace kestrel::sim {

namespace {

constexpr int kMaxCount = 100'000'000;
constexpr double kMaxSeconds = 86400.0;
constexpr int kMaxMs = 86'400'000;
constexpr int kMaxOverlong = 16 * 1024 * 1024;
constexpr int kMaxPort = 65535;

void AddOptions(QCommandLineParser& parser) {
    parser.setApplicationDescription(QStringLiteral(
        "Simulated camera command server: answers the camera protocol on TCP like a real "
        "camera, runs firmware programming runs on a timer, and can misbehave on purpose."));
    parser.addHelpOption();
    const auto add = [&parser](const QString& name, const QString& help,
                               const QString& valueName = QString()) {
        parser.addOption(QCommandLineOption(name, help, valueName));
    };
    add(QStringLiteral("listen"), QStringLiteral("Address to listen on (default 127.0.0.1)."),
        QStringLiteral("address"));
    add(QStringLiteral("port"), QStringLiteral("TCP port (default 5000; 0 = any free port)."),
        QStringLiteral("port"));
    add(QStringLiteral("quiet"), QStringLiteral("Print only where it listens and errors."));
    add(QStringLiteral("cameras"),
        QStringLiteral("Serve N cameras, each with its own state, on N consecutive ports from "
                       "--port on; their serial numbers count on from --serial's (default 1)."),
        QStringLiteral("N"));

    add(QStringLiteral("greeting"),
        QStringLiteral("Greeting line (default \"KESTREL VX CAMERA SERVER READY\")."),
        QStringLiteral("text"));
    add(QStringLiteral("serial"), QStringLiteral("Serial number (default 21040017)."),
        QStringLiteral("text"));
    add(QStringLiteral("type"), QStringLiteral("Camera type number (default 7, VX340)."),
        QStringLiteral("number"));
    add(QStringLiteral("mono"), QStringLiteral("Mono sensor."));
    add(QStringLiteral("color"), QStringLiteral("Colour sensor (the default)."));
    add(QStringLiteral("bayer"), QStringLiteral("Bayer type number (default 2, RGGB)."),
        QStringLiteral("number"));
    add(QStringLiteral("hw-version"),
        QStringLiteral("Hardware firmware version, three hex parts (default 1.2a.3f)."),
        QStringLiteral("a.b.c"));
    add(QStringLiteral("new-hw-version"),
        QStringLiteral("Hardware firmware version after a completed run (default 1.2b.05)."),
        QStringLiteral("a.b.c"));
    add(QStringLiteral("new-hw-reply"),
        QStringLiteral("After a completed run, each of the three version registers answers "
                       "TEXT instead (\"ERR\", or empty for an empty line; escapes as for "
                       "--reply). Wins over --new-hw-version."),
        QStringLiteral("text"));
    add(QStringLiteral("server-version"),
        QStringLiteral("Server version (default \"vx_server 3.8.2 build 1187\")."),
        QStringLiteral("text"));

    add(QStringLiteral("erase-total"), QStringLiteral("Sectors to erase (default 155)."),
        QStringLiteral("n"));
    add(QStringLiteral("erase-seconds"), QStringLiteral("Length of the erase phase (default 20)."),
        QStringLiteral("seconds"));
    add(QStringLiteral("program-total"), QStringLiteral("Pages to program (default 20000)."),
        QStringLiteral("n"));
    add(QStringLiteral("program-seconds"),
        QStringLiteral("Length of the programming phase (default 25)."), QStringLiteral("seconds"));
    add(QStringLiteral("linger-seconds"),
        QStringLiteral("How long the final figures stay after programming (default 3)."),
        QStringLiteral("seconds"));
    add(QStringLiteral("fast"),
        QStringLiteral("Short run for tests: erase 0.4 s, program 0.6 s, linger 0.5 s "
                       "(the three --*-seconds options still win)."));
    add(QStringLiteral("start-delay-ms"),
        QStringLiteral("Status stays \"0 0 0 0\" this long after CAM_FIRMWAREUPDATE 0."),
        QStringLiteral("ms"));
    add(QStringLiteral("run-in-progress"),
        QStringLiteral("A programming run is already going when the server starts."));
    add(QStringLiteral("stall-at"),
        QStringLiteral("Programming figures stop rising at this percent, for ever."),
        QStringLiteral("percent"));
    add(QStringLiteral("abort-at"),
        QStringLiteral("The camera gives the run up at this percent of programming."),
        QStringLiteral("percent"));
    add(QStringLiteral("power-cycle-after"),
        QStringLiteral("MS milliseconds after a finished run the camera powers off: its "
                       "connections are reset and new ones refused until it is back."),
        QStringLiteral("MS"));
    add(QStringLiteral("power-off-ms"),
        QStringLiteral("How long the camera stays off in a power cycle before it listens again, "
                       "with the new version (default 2000)."),
        QStringLiteral("MS"));

    add(QStringLiteral("close-after"),
        QStringLiteral("Answer N commands per connection, then close at the next."),
        QStringLiteral("N"));
    add(QStringLiteral("close-mid-reply"),
        QStringLiteral("On the N-th command send half the reply and close."), QStringLiteral("N"));
    add(QStringLiteral("stop-answering-after"),
        QStringLiteral("Answer N commands per connection, then read but never answer."),
        QStringLiteral("N"));
    add(QStringLiteral("no-greeting"), QStringLiteral("Send no greeting."));
    add(QStringLiteral("slow-bytes"),
        QStringLiteral("Send every byte alone, MS milliseconds apart."), QStringLiteral("MS"));
    add(QStringLiteral("garbage-at"),
        QStringLiteral("On the N-th command send random printable garbage instead."),
        QStringLiteral("N"));
    add(QStringLiteral("overlong-at"),
        QStringLiteral("On the N-th command reply with a line of --overlong-length 'X'."),
        QStringLiteral("N"));
    add(QStringLiteral("overlong-length"),
        QStringLiteral("Length of the overlong line (default 10000)."), QStringLiteral("L"));
    add(QStringLiteral("bare-lf"), QStringLiteral("End lines with LF alone instead of CR LF."));
    add(QStringLiteral("reply"),
        QStringLiteral("Fixed reply for a command (repeatable); TEXT may hold \\r \\n \\t \\\\ "
                       "\\xNN."),
        QStringLiteral("CMD=TEXT"));
}

// Reads the options of one parser into SimOptions; the first bad value ends
// the reading with its error text.
class Reader {
public:
    explicit Reader(const QCommandLineParser& parser) : parser_(parser) {}

    QString error;

    bool Has(const char* name) const { return parser_.isSet(QLatin1String(name)); }

    // Calls store with the option's value when the option was given and all
    // went well so far; store returns the error text, empty when fine.
    void Take(const char* name, const std::function<QString(const QString&)>& store) {
        if (!error.isEmpty() || !Has(name)) {
            return;
        }
        const QString value = parser_.value(QLatin1String(name));
        const QString problem = store(value);
        if (!problem.isEmpty()) {
            error = QStringLiteral("--%1: '%2' %3").arg(QLatin1String(name), value, problem);
        }
    }

    void Int(const char* name, int min, int max, int& target) {
        Take(name, [&](const QString& value) {
            bool ok = false;
            const int number = value.toInt(&ok, 10);
            if (!ok || number < min || number > max) {
                return QStringLiteral("is not a whole number from %1 to %2").arg(min).arg(max);
            }
            target = number;
            return QString();
        });
    }

    void OptionalInt(const char* name, int min, int max, std::optional<int>& target) {
        int number = 0;
        Int(name, min, max, number);
        if (error.isEmpty() && Has(name)) {
            target = number;
        }
    }

    void Seconds(const char* name, int& targetMs) {
        Take(name, [&](const QString& value) {
            bool ok = false;
            const double seconds = value.toDouble(&ok);
            if (!ok || !(seconds >= 0.0 && seconds <= kMaxSeconds)) {
                return QStringLiteral("is not a number of seconds from 0 to %1").arg(kMaxSeconds);
            }
            targetMs = qRound(seconds * 1000.0);
            return QString();
        });
    }

    void Text(const char* name, QByteArray& target) {
        Take(name, [&](const QString& value) {
            const QByteArray bytes = value.toUtf8();
            for (const char c : bytes) {
                const auto byte = static_cast<unsigned char>(c);
                if (byte < 0x20 || byte == 0x7f) {
                    return QStringLiteral("holds a control character (use --reply for raw bytes)");
                }
            }
            target = bytes;
            return QString();
        });
    }

    void Version(const char* name, HwVersion& target) {
        Take(name, [&](const QString& value) {
            const std::optional<HwVersion> version = ParseHwVersion(value);
            if (!version) {
                return QStringLiteral("is not a version of three hex parts like 1.2a.3f");
            }
            target = *version;
            return QString();
        });
    }

    // Any text, escapes decoded, for each of the version's three parts.
    void VersionReply(const char* name, HwVersion& target) {
        Take(name, [&](const QString& value) {
            QString problem;
            const std::optional<QByteArray> text = DecodeEscapes(value.toUtf8(), &problem);
            if (!text) {
                return problem;
            }
            target.parts = {*text, *text, *text};
            return QString();
        });
    }

private:
    const QCommandLineParser& parser_;
};

QString ReadFixedReplies(const QStringList& values, QList<FixedReply>& target) {
    for (const QString& value : values) {
        const qsizetype equals = value.indexOf(QLatin1Char('='));
        if (equals <= 0) {
            return QStringLiteral("--reply: '%1' is not CMD=TEXT with a command before '='")
                .arg(value);
        }
        QString problem;
        const std::optional<QByteArray> text =
            DecodeEscapes(value.mid(equals + 1).toUtf8(), &problem);
        if (!text) {
            return QStringLiteral("--reply: '%1': %2").arg(value, problem);
        }
        target.append(FixedReply{value.left(equals).toUtf8().toUpper(), *text});
    }
    return QString();
}

QString ReadListenAddress(const QString& value, QHostAddress& target) {
    if (value.compare(QLatin1String("localhost"), Qt::CaseInsensitive) == 0) {
        target = QHostAddress(QHostAddress::LocalHost);
        return QString();
    }
    QHostAddress address;
    if (!address.setAddress(value)) {
        return QStringLiteral("--listen: '%1' is not an IP address").arg(value);
    }
    target = address;
    return QString();
}

QString ReadAll(const QCommandLineParser& parser, SimOptions& o) {
    if (!parser.positionalArguments().isEmpty()) {
        return QStringLiteral("unexpected argument '%1'").arg(parser.positionalArguments().first());
    }
    if (parser.isSet(QStringLiteral("mono")) && parser.isSet(QStringLiteral("color"))) {
        return QStringLiteral("--mono and --color exclude each other");
    }
    if (parser.isSet(QStringLiteral("listen"))) {
        const QString problem =
            ReadListenAddress(parser.value(QStringLiteral("listen")), o.listenAddress);
        if (!problem.isEmpty()) {
            return problem;
        }
    }
    o.quiet = parser.isSet(QStringLiteral("quiet"));
    if (parser.isSet(QStringLiteral("mono"))) {
        o.colorSensor = false;
    }
    o.runInProgress = parser.isSet(QStringLiteral("run-in-progress"));
    o.noGreeting = parser.isSet(QStringLiteral("no-greeting"));
    o.bareLf = parser.isSet(QStringLiteral("bare-lf"));
    if (parser.isSet(QStringLiteral("fast"))) {
        o.UseFastTiming();
    }

    Reader r(parser);
    int port = o.port;
    r.Int("port", 0, kMaxPort, port);
    o.port = static_cast<quint16>(port);
    r.Int("cameras", 1, kMaxPort, o.cameras);
    r.Text("greeting", o.greeting);
    r.Text("serial", o.serial);
    r.Int("type", INT_MIN, INT_MAX, o.cameraType);
    r.Int("bayer", INT_MIN, INT_MAX, o.bayerType);
    r.Version("hw-version", o.hwVersion);
    r.Version("new-hw-version", o.newHwVersion);
    r.VersionReply("new-hw-reply", o.newHwVersion);
    r.Text("server-version", o.serverVersion);
    r.Int("erase-total", 0, kMaxCount, o.eraseTotal);
    r.Seconds("erase-seconds", o.eraseMs);
    r.Int("program-total", 0, kMaxCount, o.programTotal);
    r.Seconds("program-seconds", o.programMs);
    r.Seconds("linger-seconds", o.lingerMs);
    r.Int("start-delay-ms", 0, kMaxMs, o.startDelayMs);
    r.OptionalInt("stall-at", 0, 100, o.stallAtPercent);
    r.OptionalInt("abort-at", 0, 100, o.abortAtPercent);
    r.OptionalInt("power-cycle-after", 0, kMaxMs, o.powerCycleAfterMs);
    r.Int("power-off-ms", 0, kMaxMs, o.powerOffMs);
    r.OptionalInt("close-after", 0, kMaxCount, o.closeAfter);
    r.OptionalInt("close-mid-reply", 1, kMaxCount, o.closeMidReplyAt);
    r.OptionalInt("stop-answering-after", 0, kMaxCount, o.stopAnsweringAfter);
    r.Int("slow-bytes", 0, 60000, o.slowBytesMs);
    r.OptionalInt("garbage-at", 1, kMaxCount, o.garbageAt);
    r.OptionalInt("overlong-at", 1, kMaxCount, o.overlongAt);
    r.Int("overlong-length", 0, kMaxOverlong, o.overlongLength);
    if (!r.error.isEmpty()) {
        return r.error;
    }
    if (o.port != 0 && o.port + o.cameras - 1 > kMaxPort) {
        return QStringLiteral("--cameras: %1 cameras from port %2 on go past port %3")
            .arg(o.cameras)
            .arg(o.port)
            .arg(kMaxPort);
    }
    return ReadFixedReplies(parser.values(QStringLiteral("reply")), o.fixedReplies);
}

} // namespace

void SimOptions::UseFastTiming() {
    eraseMs = 400;
    programMs = 600;
    lingerMs = 500;
}

SimOptions SimOptions::ForCamera(int index) const {
    SimOptions camera = *this;
    camera.serial = CountedSerial(serial, index);
    return camera;
}

QByteArray CountedSerial(const QByteArray& serial, int steps) {
    qsizetype start = serial.size();
    while (start > 0 && serial.at(start - 1) >= '0' && serial.at(start - 1) <= '9') {
        --start;
    }
    if (start == serial.size()) {
        return steps == 0 ? serial : serial + QByteArray::number(steps);
    }
    // Added digit by digit from the right, so that no width is too long.
    QByteArray digits = serial.mid(start);
    qint64 carry = steps;
    for (qsizetype i = digits.size() - 1; i >= 0 && carry > 0; --i) {
        const qint64 sum = (digits.at(i) - '0') + carry;
        digits[i] = static_cast<char>('0' + sum % 10);
        carry = sum / 10;
    }
    if (carry > 0) {
        digits.prepend(QByteArray::number(carry));
    }
    return serial.left(start) + digits;
}

ParsedSimOptions ParseSimOptions(const QStringList& arguments) {
    ParsedSimOptions result;
    QCommandLineParser parser;
    AddOptions(parser);
    if (!parser.parse(arguments)) {
        result.error = parser.errorText();
        return result;
    }
    if (parser.isSet(QStringLiteral("help")) || parser.isSet(QStringLiteral("help-all"))) {
        result.helpRequested = true;
        return result;
    }
    result.error = ReadAll(parser, result.options);
    return result;
}

QString SimOptionsHelp() {
    QCommandLineParser parser;
    AddOptions(parser);
    return parser.helpText();
}

} // namespace kestrel::sim
