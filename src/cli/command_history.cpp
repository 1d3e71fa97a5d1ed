// kestrel-flash history: the operations of this bench's production history.

#include "command_options.h"
#include "history_command.h"

namespace kestrel::cli {

namespace {

// The query's values are handed on as given: the history checks them.
QString ReadQuery(const Given& given, JobPlan& plan) {
    if (!given.Operands().isEmpty())
        return QStringLiteral("history takes no ADDRESS: it reads this bench's history");
    HistoryArgs& query = plan.history;
    query.serial = given.Values(QStringLiteral("serial"));
    query.since = given.Values(QStringLiteral("since"));
    query.until = given.Values(QStringLiteral("until"));
    query.result = given.Values(QStringLiteral("result"));
    query.last = given.Values(QStringLiteral("last"));
    query.csv = given.IsSet(QStringLiteral("csv"));
    query.json = given.IsSet(QStringLiteral("json"));
    query.verify = given.IsSet(QStringLiteral("verify"));
    return QString();
}

int Run(const JobPlan& plan) {
    HistoryArgs args = plan.history;
    args.historyFile = plan.historyFile;
    for (const ResultCodeEntry& entry : ResultCodes())
        args.resultCodes << QString::fromLatin1(entry.code);
    return kestrel::HistoryCommand(args, stdout, stderr);
}

Argument Valued(const char* name, const char* valueName, const char* description) {
    return Argument{.names = {QString::fromLatin1(name)},
                    .valueName = QString::fromLatin1(valueName),
                    .description = QString::fromUtf8(description)};
}

const QList<const Argument*>& Arguments() {
    static const Argument operands{.read = ReadQuery};
    static const Argument serial =
        Valued("serial", "SERIAL", "only the operations on the camera with this serial number");
    static const Argument since = Valued(
        "since", "DATE",
        "only the operations from this time on: 2026-12-07,\n2026-12-07T14:05 or "
        "2026-12-07T14:05:06, in UTC\nunless it ends in an offset such as +01:00");
    static const Argument until = Valued("until", "DATE", "only the operations before this time");
    static const Argument result =
        Valued("result", "CODE", "only the operations that ended with this result code");
    static const Argument last = Valued("last", "N", "only the newest N operations");
    static const Argument csv{.names = {QStringLiteral("csv")},
                              .description = QStringLiteral(
                                  "a header line, then one CSV line per operation")};
    static const Argument json{.names = {QStringLiteral("json")},
                               .description = QStringLiteral(
                                   "one JSON object per operation, one per line (the\n"
                                   "verdict as one object with --verify)")};
    static const Argument verify{.names = {QStringLiteral("verify")},
                                 .description = QStringLiteral(
                                     "check the hash chain of the whole history: that no\nevent "
                                     "was changed, removed or reordered")};
    static const QList<const Argument*> arguments{
        &operands, &HistoryOption(), &serial, &since, &until, &result, &last, &csv, &json, &verify};
    return arguments;
}

} // namespace

const Command& HistoryCommand() {
    static const Command command{
        .name = QStringLiteral("history"),
        .synopsis = QStringLiteral("history"),
        .summary = QStringLiteral("show this bench's production history, newest first,\nor "
                                  "check that it was not changed (--verify)"),
        .usage = QStringLiteral("history [OPTIONS]"),
        .about = QStringLiteral(
            "Shows one line per operation of this bench's production history, newest\n"
            "first: each update, watch, power-cycle check, copy onto a stick and eject,\n"
            "with its bench, operator, camera, versions and result. An operation whose\n"
            "end never came, and whose program is gone, shows as interrupted.\n\n"
            "Each event carries the SHA-256 of the one before it and of its own content;\n"
            "--verify walks that chain and names the first event that was changed,\n"
            "removed or reordered.\n"),
        .arguments = Arguments(),
        .exitStatus = QStringLiteral("Exit status: 0 when the history was read (and holds, with "
                                     "--verify), 1 when it\ncould not be read or its chain does "
                                     "not hold, 2 for a usage error.\n"),
        .run = Run};
    return command;
}

} // namespace kestrel::cli
