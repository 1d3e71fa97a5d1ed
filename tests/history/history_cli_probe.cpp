// Stands in for `kestrel-flash history` until the terminal program has the
// command: the same options, handed to the same entry.
//   history_cli_probe --version
//   history_cli_probe history [--history FILE] [--serial S] ... [--csv | --json] [--verify]

#include "history_command.h"
#include "result_code.h"

#include <QCommandLineParser>
#include <QCoreApplication>

#include <cstdio>

using namespace kestrel;

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    const QStringList arguments = app.arguments();
    if (arguments.value(1) == QLatin1String("--version")) {
        std::puts("kestrel-flash (history probe)\njson schema 1");
        return 0;
    }
    if (arguments.value(1) != QLatin1String("history")) {
        std::fputs("kestrel-flash: unknown command\n", stderr);
        return 2;
    }
    QCommandLineParser parser;
    const auto valued = [](const char* name) {
        return QCommandLineOption(QString::fromLatin1(name), QString(), QStringLiteral("VALUE"));
    };
    const QList<QCommandLineOption> values{valued("history"), valued("serial"), valued("since"),
                                           valued("until"),   valued("result"), valued("last")};
    const QList<QCommandLineOption> flags{QCommandLineOption(QStringLiteral("csv")),
                                          QCommandLineOption(QStringLiteral("json")),
                                          QCommandLineOption(QStringLiteral("verify"))};
    parser.addOptions(values + flags);
    if (!parser.parse(arguments.mid(1))) {
        std::fprintf(stderr, "kestrel-flash: %s\n", qPrintable(parser.errorText()));
        return 2;
    }
    HistoryArgs args;
    args.historyFile = parser.value(values[0]);
    args.serial = parser.values(values[1]);
    args.since = parser.values(values[2]);
    args.until = parser.values(values[3]);
    args.result = parser.values(values[4]);
    args.last = parser.values(values[5]);
    args.csv = parser.isSet(flags[0]);
    args.json = parser.isSet(flags[1]);
    args.verify = parser.isSet(flags[2]);
    for (const ResultCodeEntry& entry : ResultCodes())
        args.resultCodes << QString::fromLatin1(entry.code);
    return HistoryCommand(args, stdout, stderr);
}
