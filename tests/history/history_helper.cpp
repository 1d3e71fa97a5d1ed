// Writes to a history, for the tests of processes at once and of a writer killed:
//   history_helper FILE pairs N   writes N operations (begin and end), exits
//   history_helper FILE begin N   writes N begins, says "begun", writes more until killed
//   history_helper FILE bench N NAME   writes N updates of bench NAME (every third
//                                      stalled), a copy onto a stick, and an update
//                                      begun and not ended; exits

#include "history_stamp.h"
#include "history_writer.h"

#include <QCoreApplication>
#include <QTimer>

#include <cstdio>

using namespace kestrel;

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    const QStringList args = app.arguments();
    const int count = args.value(3).toInt();
    HistoryWriter writer(args.value(1));
    const auto begin = [](int i) {
        HistoryEvent event = BeginEvent(history::kTerminal, history::kUpdate);
        event.serial = "S" + std::to_string(i);
        return event;
    };
    if (args.value(2) == QLatin1String("bench")) {
        for (int i = 0; i <= count + 1; ++i) {
            HistoryEvent event = begin(i);
            event.bench = args.value(4).toStdString();
            event.address = i == count ? "" : "127.0.0." + std::to_string(i + 2);
            event.hardwareBefore = "1.2A.3F";
            event.target = "1.2B.05";
            if (i == count) {
                event.action = history::kStage;
                event.serial.clear();
                event.stickFiles = {{"firm.rbf", std::string(64, 'a')},
                                    {"vx_server", std::string(64, 'b')}};
            }
            writer.Write(event);
            HistoryEvent end = EndEvent(event);
            end.result = i % 3 == 2 ? "stalled" : "ok";
            end.changed = end.result == "ok";
            end.elapsedMs = 1000 + i;
            if (i <= count)
                writer.Write(end);
        }
        QString failure;
        const bool written = writer.Finish(&failure);
        std::fputs(qPrintable(failure), stderr);
        return written ? 0 : 1;
    }
    if (args.value(2) == QLatin1String("pairs")) {
        for (int i = 0; i < count; ++i) {
            const HistoryEvent event = begin(i);
            writer.Write(event);
            HistoryEvent end = EndEvent(event);
            end.result = "ok";
            writer.Write(end);
        }
        QString failure;
        const bool written = writer.Finish(&failure);
        std::fputs(qPrintable(failure), stderr);
        return written ? 0 : 1;
    }
    bool told = false;
    QObject::connect(&writer, &HistoryWriter::written, [&](qint64 id) {
        if (id >= count && !told) // the history was empty
            told = std::puts("begun") >= 0 && std::fflush(stdout) == 0;
    });
    for (int i = 0; i < count; ++i)
        writer.Write(begin(i));
    QTimer more;
    QObject::connect(&more, &QTimer::timeout, [&] { writer.Write(begin(count)); });
    more.start(1);
    return app.exec();
}
