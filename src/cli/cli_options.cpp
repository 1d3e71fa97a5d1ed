#include "cli_options.h"

#include "checksum_list.h"
#include "hw_version_rule.h"

#include <QCommandLineParser>
#include <QSet>

#include <array>

namespace kestrel::cli {

namespace {

constexpr quint16 kCameraPort = 5000;
constexpr int kMaxRebootTimeoutS = 24 * 3600;

constexpr std::array kCommands{Command::Info, Command::Update, Command::Watch, Command::Stage,
                               Command::Plan, Command::Scan, Command::Verify};

std::optional<Command> CommandNamed(const QString& name) {
    for (const Command command : kCommands) {
        if (CommandName(command) == name)
            return command;
    }
    return std::nullopt;
}

ParsedCli UsageError(const QString& error, const QString& hint) {
    ParsedCli parsed;
    parsed.error = QStringLiteral("kestrel-flash: %1\n%2\n").arg(error, hint);
    parsed.exitCode = 2;
    return parsed;
}

ParsedCli Help(const QString& text) {
    ParsedCli parsed;
    parsed.output = text;
    return parsed;
}

// The digest given with a --hw-sha256 or --sw-sha256 option, if any.
bool ReadSha256Option(const QCommandLineParser& parser, const QCommandLineOption& option,
                      QByteArray& digest, QString& error) {
    if (!parser.isSet(option))
        return true;
    const QString name = QStringLiteral("--") + option.names().first();
    if (parser.values(option).size() > 1) {
        error = QStringLiteral("%1 is given once").arg(name);
        return false;
    }
    const std::string hex = NormalizedSha256(parser.value(option).toStdString());
    if (hex.empty()) {
        error = QStringLiteral("%1 takes a SHA-256 of 64 hexadecimal digits").arg(name);
        return false;
    }
    digest = QByteArray::fromHex(QByteArray::fromStdString(hex));
    return true;
}

// --target-hw-version and --reinstall.
bool ReadTargetOption(const QCommandLineParser& parser, const QCommandLineOption& target,
                      const QCommandLineOption& reinstall, CliOptions& options, QString& error) {
    options.reinstall = parser.isSet(reinstall);
    if (!parser.isSet(target)) {
        error = QStringLiteral("--reinstall goes with --target-hw-version");
        return false;
    }
    if (parser.values(target).size() > 1) {
        error = QStringLiteral("--target-hw-version is given once");
        return false;
    }
    const QString given = parser.value(target);
    options.targetHwVersion =
        QString::fromStdString(NormalizedHwVersion(given.toLatin1().toStdString()));
    if (options.targetHwVersion.isEmpty()) {
        error = QStringLiteral("--target-hw-version takes a version as the camera shows it: "
                               "three hexadecimal parts of one or two digits, as 1.2B.05");
        return false;
    }
    return true;
}

QString HintFor(const QString& commandName) {
    return QStringLiteral("Run \"kestrel-flash %1 --help\" for its usage.").arg(commandName);
}

} // namespace

QString CommandName(Command command) {
    switch (command) {
    case Command::Info:
        return QStringLiteral("info");
    case Command::Update:
        return QStringLiteral("update");
    case Command::Watch:
        return QStringLiteral("watch");
    case Command::Stage:
        return QStringLiteral("stage");
    case Command::Plan:
        return QStringLiteral("plan");
    case Command::Scan:
        return QStringLiteral("scan");
    case Command::Verify:
        return QStringLiteral("verify");
    }
    return QString();
}

ParsedCli ParseCli(const QStringList& arguments) {
    const QString programHint = QStringLiteral("Run \"kestrel-flash --help\" for the commands.");
    if (arguments.size() < 2)
        return UsageError(QStringLiteral("no command given"), programHint);
    const QString name = arguments.at(1);
    if (name == QLatin1String("--help") || name == QLatin1String("-h") ||
        name == QLatin1String("help"))
        return Help(ProgramHelp());
    if (name == QLatin1String("--version"))
        return Help(VersionText());
    const std::optional<Command> command = CommandNamed(name);
    if (!command)
        return UsageError(QStringLiteral("unknown command \"%1\"").arg(name), programHint);
    const QString hint = HintFor(name);

    QCommandLineParser parser;
    parser.setSingleDashWordOptionMode(QCommandLineParser::ParseAsLongOptions);
    const QCommandLineOption help({QStringLiteral("h"), QStringLiteral("help")}, QString());
    const QCommandLineOption json(QStringLiteral("json"), QString());
    const QCommandLineOption plain(QStringLiteral("plain"), QString());
    const QCommandLineOption report(QStringLiteral("report"), QString(), QStringLiteral("FILE"));
    const QCommandLineOption logDir(QStringLiteral("log-dir"), QString(), QStringLiteral("DIR"));
    const QCommandLineOption confirm(QStringLiteral("confirm-reboot"), QString());
    const QCommandLineOption rebootTimeout(QStringLiteral("reboot-timeout"), QString(),
                                           QStringLiteral("S"));
    const QCommandLineOption hw(QStringLiteral("hw"), QString(), QStringLiteral("FILE"));
    const QCommandLineOption sw(QStringLiteral("sw"), QString(), QStringLiteral("FILE"));
    const QCommandLineOption hwSha256(QStringLiteral("hw-sha256"), QString(),
                                      QStringLiteral("HEX"));
    const QCommandLineOption swSha256(QStringLiteral("sw-sha256"), QString(),
                                      QStringLiteral("HEX"));
    const QCommandLineOption target(QStringLiteral("target-hw-version"), QString(),
                                    QStringLiteral("A.B.C"));
    const QCommandLineOption reinstall(QStringLiteral("reinstall"), QString());
    const QCommandLineOption eject(QStringLiteral("eject"));
    parser.addOptions({help, json, plain});
    const bool aims = *command == Command::Update || *command == Command::Plan;
    if (aims)
        parser.addOptions({target, reinstall});
    const bool runs = *command == Command::Update || *command == Command::Watch;
    if (runs)
        parser.addOptions({report, confirm, rebootTimeout});
    // stage and verify take the same files; verify no folder.
    const bool files = *command == Command::Stage || *command == Command::Verify;
    if (*command == Command::Stage)
        parser.addOptions({hw, sw, hwSha256, swSha256, eject});
    else if (*command == Command::Verify)
        parser.addOptions({hw, sw, hwSha256, swSha256});
    else
        parser.addOption(logDir);

    QStringList rest = arguments;
    rest.removeAt(1); // the parser expects the program name, then options
    if (*command == Command::Scan) {
        if (rest.contains(QStringLiteral("--help")) || rest.contains(QStringLiteral("-h")))
            return Help(CommandHelp(*command));
        ParsedScan scan = ParseScanArguments(rest);
        if (!scan.options)
            return UsageError(scan.error, hint);
        ParsedCli parsed;
        parsed.options.emplace();
        parsed.options->command = *command;
        parsed.options->scan = std::move(*scan.options);
        return parsed;
    }
    if (!parser.parse(rest))
        return UsageError(parser.errorText(), hint);
    if (parser.isSet(help))
        return Help(CommandHelp(*command));

    CliOptions options;
    options.command = *command;
    options.json = parser.isSet(json);
    options.plain = parser.isSet(plain);
    if (options.json && options.plain)
        return UsageError(QStringLiteral("--json and --plain cannot be used together"), hint);
    const QStringList positional = parser.positionalArguments();

    if (files) {
        if (!parser.isSet(hw) || !parser.isSet(sw))
            return UsageError(QStringLiteral("%1 needs --hw FILE and --sw FILE").arg(name), hint);
        if (parser.values(hw).size() > 1 || parser.values(sw).size() > 1)
            return UsageError(QStringLiteral("--hw and --sw are given once each"), hint);
        const bool stage = *command == Command::Stage;
        if (stage && positional.size() != 1)
            return UsageError(QStringLiteral("stage needs exactly one FOLDER"), hint);
        if (!stage && !positional.isEmpty())
            return UsageError(QStringLiteral("verify takes no FOLDER: it copies nothing"), hint);
        options.hwFile = parser.value(hw);
        options.swFile = parser.value(sw);
        options.folder = stage ? positional.first() : QString();
        options.eject = stage && parser.isSet(eject);
        if (options.hwFile.isEmpty() || options.swFile.isEmpty() ||
            (stage && options.folder.isEmpty()))
            return UsageError(QStringLiteral("empty file or folder name"), hint);
        QString error;
        if (!ReadSha256Option(parser, hwSha256, options.hwSha256, error) ||
            !ReadSha256Option(parser, swSha256, options.swSha256, error))
            return UsageError(error, hint);
        ParsedCli parsed;
        parsed.options = options;
        return parsed;
    }

    if (positional.isEmpty())
        return UsageError(QStringLiteral("%1 needs at least one ADDRESS").arg(name), hint);
    if (*command == Command::Watch && positional.size() != 1)
        return UsageError(QStringLiteral("watch follows one camera: give one ADDRESS"), hint);
    QSet<QString> seen;
    for (const QString& text : positional) {
        QString error;
        const std::optional<CameraAddress> address = ParseCameraAddress(text, kCameraPort, &error);
        if (!address)
            return UsageError(error, hint);
        const QString key = address->Text().toLower();
        if (seen.contains(key))
            return UsageError(QStringLiteral("camera %1 is given twice").arg(address->Text()),
                              hint);
        seen.insert(key);
        options.cameras.append(*address);
    }
    if (parser.isSet(logDir)) {
        options.logDir = parser.value(logDir);
        if (options.logDir.isEmpty())
            return UsageError(QStringLiteral("--log-dir needs a folder name"), hint);
    }
    if (aims && (parser.isSet(target) || parser.isSet(reinstall))) {
        QString error;
        if (!ReadTargetOption(parser, target, reinstall, options, error))
            return UsageError(error, hint);
    }
    if (runs) {
        options.confirmReboot = parser.isSet(confirm);
        if (parser.isSet(report)) {
            options.reportPath = parser.value(report);
            if (options.reportPath.isEmpty())
                return UsageError(QStringLiteral("--report needs a file name"), hint);
        }
        if (parser.isSet(rebootTimeout)) {
            bool ok = false;
            const int seconds = parser.value(rebootTimeout).toInt(&ok);
            if (!ok || seconds < 1 || seconds > kMaxRebootTimeoutS)
                return UsageError(QStringLiteral("--reboot-timeout takes seconds from 1 to %1")
                                      .arg(kMaxRebootTimeoutS),
                                  hint);
            if (!options.confirmReboot)
                return UsageError(QStringLiteral("--reboot-timeout goes with --confirm-reboot"),
                                  hint);
            options.rebootTimeoutS = seconds;
        }
    }
    ParsedCli parsed;
    parsed.options = options;
    return parsed;
}

} // namespace kestrel::cli
