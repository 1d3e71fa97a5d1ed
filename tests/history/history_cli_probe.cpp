// Stands in for `kestrel-flash history` until the terminal program has the
// command: the same options, handed to the same entry.
//   history_cli_probe --version | history [--history FILE] [--serial S] ... [--verify]

#include "history_command.h"
#include "result_code.h"

#include <QCommandLineParser>
#include <QCoreApplication>

#include <cstdio>

using namespace kestrel;

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    if (app.arguments().value(1) == QLatin1String("--version"))
        return std::puts("kestrel-flash (history probe)\njson schema 1") < 0;
    HistoryArgs args;
    QStringList* const lists[] = {&args.serial, &args.since, &args.until, &args.result, &args.last};
    const QStringList names{"serial", "since", "until", "result", "last", "history"};
    QCommandLineParser parser;
    for (const QString& name : names)
        parser.addOption(QCommandLineOption(name, QString(), QStringLiteral("VALUE")));
    parser.addOptions({{"csv", QString()}, {"json", QString()}, {"verify", QString()}});
    if (app.arguments().value(1) != QLatin1String("history") ||
        !parser.parse(app.arguments().mid(1))) {
        std::fprintf(stderr, "history_cli_probe: not a history command line %s\n",
                     qPrintable(parser.errorText()));
        return 2;
    }
    for (qsizetype i = 0; i < 5; ++i)
        *lists[i] = parser.values(names[i]);
    args.historyFile = parser.value(QStringLiteral("history"));
    args.csv = parser.isSet(QStringLiteral("csv"));
    args.json = parser.isSet(QStringLiteral("json"));
    args.verify = parser.isSet(QStringLiteral("verify"));
    for (const ResultCodeEntry& entry : ResultCodes())
        args.resultCodes << QString::fromLatin1(entry.code);
    return HistoryCommand(args, stdout, stderr);
}
