// A process that writes to a history, for the tests of several processes at
// once and of a writer killed at work:
//   history_helper FILE pairs N   writes N operations (begin and end), exits
//   history_helper FILE begin N   writes N begins, says "begun", then goes on
//                                 writing begins until it is killed

#include "history_stamp.h"
#include "history_writer.h"

#include <QCoreApplication>
#include <QTimer>

#include <cstdio>

using namespace kestrel;

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    const QStringList args = app.arguments();
    if (args.size() != 4)
        return 2;
    const int count = args[3].toInt();
    HistoryWriter writer(args[1]);
    QObject::connect(&writer, &HistoryWriter::failed, [](const QString& sentence) {
        std::fprintf(stderr, "%s\n", qPrintable(sentence));
        QCoreApplication::exit(1);
    });
    const auto begin = [](int i) {
        HistoryEvent event = BeginEvent(history::kTerminal, history::kUpdate);
        event.serial = "S" + std::to_string(i);
        return event;
    };
    if (args[2] == QLatin1String("pairs")) {
        for (int i = 0; i < count; ++i) {
            const HistoryEvent event = begin(i);
            writer.Write(event);
            HistoryEvent end = EndEvent(event);
            end.result = "ok";
            writer.Write(end);
        }
        return writer.Finish() ? 0 : 1;
    }
    qint64 lastId = 0;
    QObject::connect(&writer, &HistoryWriter::written, [&](qint64 id) {
        if (lastId < count && id >= count) { // the history was empty
            std::printf("begun\n");
            std::fflush(stdout);
        }
        lastId = id;
    });
    for (int i = 0; i < count; ++i)
        writer.Write(begin(i));
    QTimer more;
    QObject::connect(&more, &QTimer::timeout, [&] { writer.Write(begin(count)); });
    more.start(1);
    return app.exec();
}
