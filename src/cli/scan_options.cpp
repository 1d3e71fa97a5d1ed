#include "scan_options.h"

#include <QCommandLineParser>

namespace kestrel::cli {

namespace {

constexpr quint16 kCameraPort = 5000;
constexpr int kMaxParallel = 1024;

ParsedScan Refuse(const QString& error) {
    ParsedScan parsed;
    parsed.error = error;
    return parsed;
}

} // namespace

ParsedScan ParseScanArguments(const QStringList& arguments) {
    QCommandLineParser parser;
    parser.setSingleDashWordOptionMode(QCommandLineParser::ParseAsLongOptions);
    const QCommandLineOption port(QStringLiteral("port"), QString(), QStringLiteral("N"));
    const QCommandLineOption parallel(QStringLiteral("parallel"), QString(), QStringLiteral("N"));
    const QCommandLineOption large(QStringLiteral("large"), QString());
    const QCommandLineOption plain(QStringLiteral("plain"), QString());
    const QCommandLineOption json(QStringLiteral("json"), QString());
    const QCommandLineOption addresses(QStringLiteral("addresses"), QString());
    parser.addOptions({port, parallel, large, plain, json, addresses});
    if (!parser.parse(arguments))
        return Refuse(parser.errorText());

    ScanOptions options;
    int forms = 0;
    for (const auto& [option, form] :
         {std::pair{&plain, ScanOptions::Form::Plain}, std::pair{&json, ScanOptions::Form::Json},
          std::pair{&addresses, ScanOptions::Form::Addresses}}) {
        if (parser.isSet(*option)) {
            ++forms;
            options.form = form;
        }
    }
    if (forms > 1)
        return Refuse(QStringLiteral("--plain, --json and --addresses cannot be used together"));

    quint16 defaultPort = kCameraPort;
    if (parser.isSet(port)) {
        bool ok = false;
        const int value = parser.value(port).toInt(&ok);
        if (!ok || value < 1 || value > 65535 || parser.values(port).size() > 1)
            return Refuse(QStringLiteral("--port takes one port from 1 to 65535"));
        defaultPort = static_cast<quint16>(value);
    }
    if (parser.isSet(parallel)) {
        bool ok = false;
        const int value = parser.value(parallel).toInt(&ok);
        if (!ok || value < 1 || value > kMaxParallel || parser.values(parallel).size() > 1)
            return Refuse(
                QStringLiteral("--parallel takes a number from 1 to %1").arg(kMaxParallel));
        options.settings.parallel = value;
    }

    const QStringList positional = parser.positionalArguments();
    if (positional.isEmpty())
        return Refuse(QStringLiteral("scan needs at least one TARGET"));
    for (const QString& text : positional) {
        const TargetReading reading = ReadScanTarget(text.toStdString(), defaultPort);
        if (!reading.target)
            return Refuse(QString::fromStdString(reading.error));
        options.targets.push_back(*reading.target);
        options.addresses += reading.target->Count();
        options.targetTexts.append(text);
    }
    if (options.addresses > kLargeScanAddresses && !parser.isSet(large))
        return Refuse(QStringLiteral("%1 addresses is more than %2: add --large to search them all")
                          .arg(options.addresses)
                          .arg(kLargeScanAddresses));
    ParsedScan parsed;
    parsed.options = std::move(options);
    return parsed;
}

QString ScanHelp() {
    return QStringLiteral(
        "Usage: kestrel-flash scan [OPTIONS] TARGET...\n\n"
        "Finds the cameras among the TARGET addresses by asking their command port.\n"
        "A port counts as a camera once it has sent its greeting and answered the\n"
        "update status question (\"CAM_FIRMWAREUPDATE 1\"). A camera with a\n"
        "programming run in progress is listed as programming and is asked nothing\n"
        "else; any other is asked its serial number, model and firmware versions.\n"
        "Nothing that changes a camera is sent; each connection ends with the\n"
        "goodbye \"CLOSE\" (held back from a camera that is programming).\n\n"
        "TARGET is an IPv4 address (192.168.1.40), a network (192.168.1.0/24: its\n"
        "hosts) or a range of the last number (192.168.1.20-39), each optionally\n"
        "followed by :PORT. More than 1024 addresses in all need --large.\n\n"
        "Once the search ends, the cameras are written as a table sorted by address,\n"
        "unless --plain, --json or --addresses ask otherwise. A camera's state is idle,\n"
        "programming, or lost (its connection ended before it gave its identity).\n\n"
        "Options:\n"
        "  --port N           the port of every TARGET without its own (default 5000)\n"
        "  --parallel N       addresses asked at once (default 64, at most 1024);\n"
        "                     each has 1.5 s to connect and 2 s for its greeting\n"
        "                     and for each reply\n"
        "  --large            allow a search of more than 1024 addresses\n"
        "  --plain            one tab-separated line per camera as it answers:\n"
        "                     address:port, state, serial, model, hardware and\n"
        "                     software firmware\n"
        "  --json             one JSON object per line: begin, one \"camera\" per\n"
        "                     camera as it answers, then a summary\n"
        "  --addresses        only address:port of each camera, one a line, as in\n"
        "                     kestrel-flash update $(kestrel-flash scan --addresses ...)\n");
}

} // namespace kestrel::cli
