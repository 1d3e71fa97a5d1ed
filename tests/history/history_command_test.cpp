// `kestrel-flash history` on a small history: what it writes and exits with,
// its forms line by line with filters together, the usage errors, the chain's
// verdict, a history missing and one that is not a database. (How the store
// narrows by each filter has tests of its own.)

#include "history_command.h"
#include "history_store.h"

#include <QFile>
#include <QSqlDatabase>
#include <QSqlQuery>
#include <QTemporaryDir>
#include <QTest>

#include <cstdio>

using namespace kestrel;

namespace {

constexpr std::int64_t kDay = 1'796'601'600'000; // 2026-12-07T00:00Z

// An operation begun at second `at` of the day and, when it has a result,
// ended 95.04 s later. S2's camera sends escapes in its model.
void Add(std::vector<HistoryEvent>& events, const char* serial, const char* action, std::int64_t at,
         const char* result, const char* bench = "bench-1") {
    HistoryEvent e;
    e.timeMs = kDay + at * 1000;
    e.bench = bench;
    e.operatorName = "line1";
    e.face = serial == std::string("S2") ? history::kWindow : history::kTerminal;
    e.action = action;
    e.phase = history::kBegin;
    e.operation = "op" + std::to_string(events.size() + 1);
    e.serial = serial;
    e.address = "10.0.0.1";
    e.model = serial == std::string("S2") ? "VX\x1b[2J" : "VX340";
    e.hardwareBefore = "1.2A.3F";
    e.target = "1.2B.05";
    events.push_back(e);
    if (*result == '\0')
        return;
    e.phase = history::kEnd;
    e.timeMs += 95'040;
    e.result = result;
    e.changed = e.result == "ok";
    e.hardwareAfter = e.changed ? "1.2B.05" : "";
    e.elapsedMs = 95'040;
    events.push_back(e);
}

QString ReadBack(std::FILE* file) {
    std::rewind(file);
    QFile read;
    const QString text = read.open(file, QIODevice::ReadOnly) ? read.readAll() : QString();
    read.close();
    std::fclose(file);
    return text;
}

struct Run {
    int status = -1;
    QString out;
    QString err;
};

// The command with the options as a command line gives them; '' is empty.
Run Command(const QString& path, const QString& line) {
    HistoryArgs args;
    args.historyFile = path;
    args.resultCodes = {QStringLiteral("ok"), QStringLiteral("stalled")};
    const QStringList words = line.split(' ', Qt::SkipEmptyParts);
    QStringList* const lists[] = {&args.serial, &args.since, &args.until, &args.result, &args.last};
    const QStringList names{"--serial", "--since", "--until", "--result", "--last"};
    for (qsizetype i = 0; i < words.size(); ++i) {
        if (names.contains(words[i]))
            *lists[names.indexOf(words[i])] << words.value(i + 1).remove(QStringLiteral("''"));
        i += names.contains(words[i]) ? 1 : 0;
        args.csv = args.csv || words[i] == QLatin1String("--csv");
        args.json = args.json || words[i] == QLatin1String("--json");
        args.verify = args.verify || words[i] == QLatin1String("--verify");
    }
    std::FILE* out = std::tmpfile();
    std::FILE* err = std::tmpfile();
    Run run;
    run.status = HistoryCommand(args, out, err);
    run.out = ReadBack(out);
    run.err = ReadBack(err);
    return run;
}

const QString kCsvHeader = "id,time,bench,operator,face,action,address,serial,model,hardware "
                           "before,hardware after,software,target,result,changed,seconds,ended,"
                           "record,tool version,stick files,signer key\r\n";

} // namespace

class HistoryCommandTest : public QObject {
    Q_OBJECT
private slots:
    void initTestCase();
    void command_data();
    void command();

private:
    QTemporaryDir m_dir;
    QString m_path;
};

void HistoryCommandTest::initTestCase() {
    m_path = m_dir.filePath(QStringLiteral("history.sqlite"));
    std::vector<HistoryEvent> events; // begin ids 1, 3, 5 (never ended), 6
    Add(events, "S1", "update", 36'000, "ok");
    Add(events, "S2", "update", 36'030, "stalled");
    Add(events, "S3", "update", 36'120, "", "bench-2");
    Add(events, "S1", "stage", 86'400 + 32'400, "ok");
    HistoryStore store;
    QString error;
    QVERIFY2(store.Open(m_path, &error) && store.Append(events, &error), qPrintable(error));
}

void HistoryCommandTest::command_data() {
    QTest::addColumn<QString>("file"); // history, tampered (its event 3 changed), missing, text
    QTest::addColumn<QString>("options");
    QTest::addColumn<int>("status");
    QTest::addColumn<QString>("out");
    QTest::addColumn<QString>("err"); // %1: the file
    const QString h = QStringLiteral("history");
    // Filters together: the day's end in UTC for --until, an offset for --since.
    QTest::newRow("table, local time") // an hour east of UTC (TZ)
        << h << "--since 2026-12-07T11:00+01:00 --until 2026-12-07" << 0
        << "TIME                        BENCH    OPERATOR  FACE      ACTION  ADDRESS   SERIAL  "
           "MODEL      HARDWARE           TARGET   RESULT   CHANGED  SECONDS\n"
           "2026-12-07 11:02:00 +01:00  bench-2  line1     terminal  update  10.0.0.1  S3      "
           "VX340      1.2A.3F            1.2B.05  running  -              -\n"
           "2026-12-07 11:00:30 +01:00  bench-1  line1     window    update  10.0.0.1  S2      "
           "VX\\x1b[2J  1.2A.3F            1.2B.05  stalled  no          95.0\n"
           "2026-12-07 11:00:00 +01:00  bench-1  line1     terminal  update  10.0.0.1  S1      "
           "VX340      1.2A.3F → 1.2B.05  1.2B.05  ok       yes         95.0\n"
        << "";
    QTest::newRow("json")
        << h << "--serial S1 --result ok --last 1 --json" << 0
        << "{\"action\":\"stage\",\"address\":\"10.0.0.1\",\"bench\":\"bench-1\",\"changed\":true,"
           "\"elapsedMs\":95040,\"ended\":\"2026-12-08T09:01:35.040Z\",\"event\":\"operation\","
           "\"face\":\"terminal\",\"files\":[],\"hardwareAfter\":\"1.2B.05\",\"hardwareBefore\":"
           "\"1.2A.3F\",\"id\":6,\"model\":\"VX340\",\"operation\":\"op6\",\"operator\":\"line1\","
           "\"record\":\"\",\"result\":\"ok\",\"schema\":1,\"serial\":\"S1\",\"signerKey\":\"\","
           "\"software\":\"\",\"target\":\"1.2B.05\",\"time\":\"2026-12-08T09:00:00.000Z\","
           "\"toolVersion\":\"\"}\n"
        << "";
    const auto usage = [&](const char* name, const QString& options, const QString& error) {
        QTest::newRow(name) << h << options << 2 << QString()
                            << "kestrel-flash: " + error +
                                   "\nRun \"kestrel-flash history --help\" for its usage.\n";
    };
    const QString date =
        " is not a date: give one as 2026-12-07, or a time as 2026-12-07T14:05 "
        "or 2026-12-07T14:05:06, in UTC unless it ends in an offset such as +01:00";
    usage("csv and json", "--csv --json", "--csv and --json cannot be used together");
    usage("verify, filtered", "--verify --serial S1",
          "--verify checks the whole history: it takes no --serial, --since, --until, --result, "
          "--last or --csv");
    usage("twice", "--serial S1 --serial S2", "--serial is given once");
    usage("empty serial", "--serial ''",
          "--serial takes a serial number as the camera tells it: 1 to 64 characters, none of "
          "them a control character");
    usage("no date", "--since yesterday", "--since yesterday" + date);
    usage("no such day", "--until 2026-11-31", "--until 2026-11-31" + date);
    usage("since after until", "--since 2026-12-08 --until 2026-12-07",
          "--since is after --until: no operation could match");
    usage("result", "--result fine",
          "--result fine is not a result code; the codes are: ok, stalled, interrupted, running");
    usage("last, sign", "--last +3",
          "--last +3 is not a number of operations: give a whole number from 1 on");
    QTest::newRow("intact") << "history"
                            << "--verify" << 0
                            << "The history %1 is intact: checked 7 events, each as it was "
                               "written and in the order written.\n"
                            << "";
    QTest::newRow("changed") << "tampered"
                             << "--verify" << 1 << ""
                             << "kestrel-flash: The history %1 fails its check after 2 events "
                                "found intact: event 3 was changed after it was written.\n";
    QTest::newRow("changed, json")
        << "tampered"
        << "--verify --json" << 1
        << "{\"checked\":2,\"detail\":\"The history %1 fails its check after 2 events found "
           "intact: event 3 was changed after it was written.\",\"event\":\"verify\","
           "\"ok\":false,\"schema\":1}\n"
        << "";
    QTest::newRow("none matches") << h << "--serial S9" << 0 << ""
                                  << "kestrel-flash: No operation of the history %1 matches.\n";
    QTest::newRow("none yet") << "missing"
                              << "--verify" << 0
                              << "The history %1 does not exist yet: there are no events to "
                                 "check.\n"
                              << "";
    QTest::newRow("none yet, no operations")
        << "missing"
        << "--csv" << 0 << kCsvHeader
        << "kestrel-flash: The history %1 does not exist yet: there are no operations to show.\n";
    QTest::newRow("not a database") << "text"
                                    << "--last 1" << 1 << ""
                                    << "kestrel-flash: The history %1 could not be opened: the "
                                       "file is not an SQLite database.\n";
}

void HistoryCommandTest::command() {
    QFETCH(QString, file);
    QFETCH(QString, options);
    QFETCH(int, status);
    QFETCH(QString, out);
    QFETCH(QString, err);
    const QString path = file == QLatin1String("history")
                             ? m_path
                             : m_dir.filePath(file + QStringLiteral(".sqlite"));
    if (file == QLatin1String("tampered") && !QFile::exists(path)) {
        QVERIFY(QFile::copy(m_path, path));
        QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), file);
        db.setDatabaseName(path);
        QVERIFY(db.open());
        QSqlQuery(db).exec(QStringLiteral("DROP TRIGGER events_no_update"));
        QVERIFY(QSqlQuery(db).exec(QStringLiteral("UPDATE events SET serial = 'S9' WHERE id = 3")));
    }
    QFile text(m_dir.filePath(QStringLiteral("text.sqlite")));
    QVERIFY(text.open(QIODevice::WriteOnly) && text.write(QByteArray(4096, 'x')) == 4096);
    text.close();
    const QString shown = QDir::toNativeSeparators(path);
    const Run run = Command(path, options);
    QCOMPARE(run.out, out.contains(QLatin1String("%1")) ? out.arg(shown) : out);
    QCOMPARE(run.err, err.contains(QLatin1String("%1")) ? err.arg(shown) : err);
    QCOMPARE(run.status, status);
}

QTEST_GUILESS_MAIN(HistoryCommandTest)
#include "history_command_test.moc"
