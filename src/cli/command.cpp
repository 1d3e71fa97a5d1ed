#include "command.h"

#include "command_options.h"

#include <QCommandLineParser>

#include <algorithm>

namespace kestrel::cli {

namespace {

constexpr qsizetype kOptionColumn = 21;  // where an option's description starts
constexpr qsizetype kCommandColumn = 23; // where a command's summary starts

ParsedCommandLine UsageError(const QString& error, const QString& hint) {
    ParsedCommandLine parsed;
    parsed.error = QStringLiteral("kestrel-flash: %1\n%2\n").arg(error, hint);
    parsed.exitCode = 2;
    return parsed;
}

ParsedCommandLine Help(const QString& text) {
    ParsedCommandLine parsed;
    parsed.output = text;
    return parsed;
}

// One entry of a help list: what is described, then its description, which
// starts at column on the same line when there is room, on the next one
// otherwise.
QString Entry(const QString& left, const QString& description, qsizetype column) {
    const QString indent(column, QLatin1Char(' '));
    const QStringList lines = description.split(QLatin1Char('\n'));
    QString text = left.size() < column ? left.leftJustified(column) : left + u'\n' + indent;
    text += lines.first() + u'\n';
    for (qsizetype i = 1; i < lines.size(); ++i)
        text += indent + lines.at(i) + u'\n';
    return text;
}

QString OptionEntry(const Argument& option) {
    QStringList names;
    for (const QString& name : option.names)
        names.append((name.size() == 1 ? QStringLiteral("-") : QStringLiteral("--")) + name);
    QString left = QStringLiteral("  ") + names.join(QStringLiteral(", "));
    if (!option.valueName.isEmpty())
        left += u' ' + option.valueName;
    return Entry(left, option.description, kOptionColumn);
}

// "--json and --plain", "--plain, --json and --addresses"
QString Together(QStringList names) {
    const QString last = names.takeLast();
    return names.join(QStringLiteral(", ")) + QStringLiteral(" and ") + last;
}

// Stores what the command line gave into the plan, the output form and the
// switches first, then by each argument's reader in its step; the first
// mistake, or nothing.
QString ReadArguments(const Command& command, const Given& given, JobPlan& plan) {
    QStringList forms;
    int chosen = 0;
    QList<const Argument*> readers;
    for (const Argument* argument : command.arguments) {
        const QString name = argument->names.isEmpty() ? QString() : argument->names.last();
        if (argument->form != OutputForm::Default) {
            forms.append(QStringLiteral("--") + name);
            if (given.IsSet(name)) {
                ++chosen;
                plan.form = argument->form;
            }
        }
        if (argument->flag)
            plan.*(argument->flag) = given.IsSet(name);
        if (argument->read)
            readers.append(argument);
    }
    if (chosen > 1)
        return Together(forms) + QStringLiteral(" cannot be used together");
    std::stable_sort(readers.begin(), readers.end(),
                     [](const Argument* a, const Argument* b) { return a->step < b->step; });
    for (const Argument* argument : readers) {
        const QString error = argument->read(given, plan);
        if (!error.isEmpty())
            return error;
    }
    return QString();
}

ParsedCommandLine ParseCommand(const Command& command, const QStringList& arguments) {
    const QString hint =
        QStringLiteral("Run \"kestrel-flash %1 --help\" for its usage.").arg(command.name);
    if (command.helpAnywhere &&
        (arguments.contains(QStringLiteral("--help")) || arguments.contains(QStringLiteral("-h"))))
        return Help(CommandHelp(command));
    QCommandLineParser parser;
    parser.setSingleDashWordOptionMode(QCommandLineParser::ParseAsLongOptions);
    AddOptions(command, parser);
    if (!parser.parse(arguments))
        return UsageError(parser.errorText(), hint);
    if (!command.helpAnywhere && parser.isSet(HelpOption().names.last()))
        return Help(CommandHelp(command));
    JobPlan plan;
    plan.command = &command;
    const QString error = ReadArguments(command, Given(parser, command), plan);
    if (!error.isEmpty())
        return UsageError(error, hint);
    ParsedCommandLine parsed;
    parsed.plan = std::move(plan);
    return parsed;
}

} // namespace

Given::Given(const QCommandLineParser& parser, const Command& command)
    : m_parser(parser), m_command(command) {}

bool Given::IsSet(const QString& name) const {
    return m_parser.isSet(name);
}

QStringList Given::Values(const QString& name) const {
    return m_parser.values(name);
}

QString Given::Value(const QString& name) const {
    return m_parser.value(name);
}

QStringList Given::Operands() const {
    return m_parser.positionalArguments();
}

const QString& Given::CommandName() const {
    return m_command.name;
}

const QList<const Command*>& Commands() {
    static const QList<const Command*> commands{&InfoCommand(),  &UpdateCommand(), &PlanCommand(),
                                                &WatchCommand(), &StageCommand(),  &VerifyCommand(),
                                                &ScanCommand(),  &HistoryCommand()};
    return commands;
}

const Command* CommandNamed(const QString& name) {
    for (const Command* command : Commands()) {
        if (command->name == name)
            return command;
    }
    return nullptr;
}

void AddOptions(const Command& command, QCommandLineParser& parser) {
    for (const Argument* argument : command.arguments) {
        if (!argument->names.isEmpty())
            parser.addOption(
                QCommandLineOption(argument->names, argument->description, argument->valueName));
    }
    // A command that finds -h or --help anywhere among its arguments does so
    // before the parser, which then does not know them.
    if (!command.helpAnywhere)
        parser.addOption(QCommandLineOption(HelpOption().names, HelpOption().description));
}

ParsedCommandLine ParseCommandLine(const QStringList& arguments) {
    const QString programHint = QStringLiteral("Run \"kestrel-flash --help\" for the commands.");
    if (arguments.size() < 2)
        return UsageError(QStringLiteral("no command given"), programHint);
    const QString name = arguments.at(1);
    if (name == QLatin1String("--help") || name == QLatin1String("-h") ||
        name == QLatin1String("help"))
        return Help(ProgramHelp());
    if (name == QLatin1String("--version"))
        return Help(VersionText());
    const Command* command = CommandNamed(name);
    if (!command)
        return UsageError(QStringLiteral("unknown command \"%1\"").arg(name), programHint);
    QStringList rest = arguments;
    rest.removeAt(1); // the parser expects the program name, then options
    return ParseCommand(*command, rest);
}

QString CommandHelp(const Command& command) {
    QString text = QStringLiteral("Usage: kestrel-flash %1\n\n%2\nOptions:\n")
                       .arg(command.usage, command.about);
    for (const Argument* argument : command.arguments) {
        if (!argument->names.isEmpty())
            text += OptionEntry(*argument);
    }
    return text + OptionEntry(HelpOption()) + u'\n' + command.exitStatus;
}

QString ProgramHelp() {
    QString text = QStringLiteral("Usage: kestrel-flash COMMAND [OPTIONS] ...\n\n"
                                  "Updates the firmware of Kestrel network cameras from a "
                                  "terminal.\n\nCommands:\n");
    for (const Command* command : Commands())
        text += Entry(QStringLiteral("  ") + command->synopsis, command->summary, kCommandColumn);
    return text +
           QStringLiteral("\nRun \"kestrel-flash COMMAND --help\" for the options of a command.\n"
                          "\n") +
           Entry(QStringLiteral("  --version"),
                 QStringLiteral("show the version and that of the JSON output (schema)"),
                 kCommandColumn) +
           u'\n' + ExitStatusOfCameras();
}

QString VersionText() {
    return QStringLiteral("kestrel-flash %1\njson schema %2\n")
        .arg(QStringLiteral(KESTREL_FLASH_VERSION))
        .arg(kJsonSchema);
}

} // namespace kestrel::cli
