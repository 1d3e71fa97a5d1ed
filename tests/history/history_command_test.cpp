// `kestrel-flash history` on a small history: its three forms line by line,
// the filters together, the usage errors, and the chain's verdict.

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

// "b 1 S1 update 10:00:00" or "e 1 ok 10:01:35" (or "... next 10:01:35", a day later):
// the begin or end of operation 1.
std::vector<HistoryEvent> Events(const QStringList& lines) {
    std::vector<HistoryEvent> events;
    for (const QString& line : lines) {
        const QStringList w = line.split(' ');
        HistoryEvent e;
        e.operation = "op" + w[1].toStdString();
        const QTime time = QTime::fromString(w.last(), QStringLiteral("hh:mm:ss"));
        e.timeMs = kDay + time.msecsSinceStartOfDay() +
                   (w.contains(QStringLiteral("next")) ? 86'400'000LL : 0);
        e.bench = w[1] == QLatin1String("3") ? "bench-2" : "bench-1";
        e.operatorName = "line1";
        e.face = std::string(w[1] == QLatin1String("2") ? history::kWindow : history::kTerminal);
        e.phase = std::string(w[0] == QLatin1String("b") ? history::kBegin : history::kEnd);
        if (w[0] == QLatin1String("b")) {
            e.serial = w[2].toStdString();
            e.action = w[3].toStdString();
            e.address = "10.0.0." + w[1].toStdString();
            e.model = w[1] == QLatin1String("2") ? "VX\x1b[2J" : "VX340";
            e.hardwareBefore = "1.2A.3F";
            e.target = "1.2B.05";
            if (e.action == history::kStage)
                e.stickFiles = {{"firm.rbf", "ab12"}, {"vx_server", "cd34"}};
        } else {
            for (const HistoryEvent& begin : events)
                e.serial = begin.operation == e.operation ? begin.serial : e.serial;
            e.result = w[2].toStdString();
            e.changed = e.result == "ok";
            e.hardwareAfter = e.changed ? "1.2B.05" : "";
            e.elapsedMs = 95'040;
        }
        events.push_back(e);
    }
    return events;
}

struct Run {
    int status = -1;
    QString out;
    QString err;
};

QString ReadBack(std::FILE* file) {
    QByteArray bytes;
    std::rewind(file);
    char buffer[4096];
    for (std::size_t n; (n = std::fread(buffer, 1, sizeof buffer, file)) > 0;)
        bytes.append(buffer, static_cast<qsizetype>(n));
    std::fclose(file);
    return QString::fromUtf8(bytes);
}

// The command with its options as a command line gives them ("--serial S1 --csv").
Run Command(const QString& path, const QString& line) {
    HistoryArgs args;
    args.historyFile = path;
    args.resultCodes = {QStringLiteral("ok"), QStringLiteral("stalled")};
    const QStringList words = line.split(' ', Qt::SkipEmptyParts);
    for (qsizetype i = 0; i < words.size(); ++i) {
        const QString& word = words[i];
        QStringList* value = word == QLatin1String("--serial")   ? &args.serial
                             : word == QLatin1String("--since")  ? &args.since
                             : word == QLatin1String("--until")  ? &args.until
                             : word == QLatin1String("--result") ? &args.result
                             : word == QLatin1String("--last")   ? &args.last
                                                                 : nullptr;
        if (value)
            *value << (words.value(++i) == QLatin1String("''") ? QString() : words.value(i));
        args.csv = args.csv || word == QLatin1String("--csv");
        args.json = args.json || word == QLatin1String("--json");
        args.verify = args.verify || word == QLatin1String("--verify");
    }
    std::FILE* out = std::tmpfile();
    std::FILE* err = std::tmpfile();
    Run run;
    run.status = HistoryCommand(args, out, err);
    run.out = ReadBack(out);
    run.err = ReadBack(err);
    return run;
}

// The first field of each line after the header: the begin event ids.
QString Ids(const QString& csv) {
    QStringList ids;
    for (const QString& line : csv.split(QStringLiteral("\r\n"), Qt::SkipEmptyParts).mid(1))
        ids << line.section(',', 0, 0);
    return ids.join(' ');
}

} // namespace

class HistoryCommandTest : public QObject {
    Q_OBJECT
private slots:
    void initTestCase();
    void forms_data();
    void forms();
    void filters_data();
    void filters();
    void usage_data();
    void usage();
    void verdict_data();
    void verdict();

private:
    QTemporaryDir m_dir;
    QString m_path;
};

void HistoryCommandTest::initTestCase() {
    m_path = m_dir.filePath(QStringLiteral("history.sqlite"));
    HistoryStore store;
    QString error;
    QVERIFY2(store.Open(m_path, &error), qPrintable(error));
    // ids 1 to 7: S1 ok, S2 stalled, S3 running on another bench, S1 ok the next day.
    std::vector<HistoryEvent> events =
        Events({"b 1 S1 update 10:00:00", "b 2 S2 update 10:00:30", "e 1 ok 10:01:35",
                "b 3 S3 update 10:02:00", "e 2 stalled 10:03:00", "b 4 S1 stage next 09:00:00",
                "e 4 ok next 09:00:10"});
    QVERIFY2(store.Append(events, &error), qPrintable(error));
}

void HistoryCommandTest::forms_data() {
    QTest::addColumn<QString>("options");
    QTest::addColumn<QString>("out");
    QTest::newRow("table")
        << "--last 3"
        << "TIME                        BENCH    OPERATOR  FACE      ACTION  ADDRESS   SERIAL  "
           "MODEL      HARDWARE           TARGET   RESULT   CHANGED  SECONDS\n"
           "2026-12-08 10:00:00 +01:00  bench-1  line1     terminal  stage   10.0.0.4  S1      "
           "VX340      1.2A.3F → 1.2B.05  1.2B.05  ok       yes         95.0\n"
           "2026-12-07 11:02:00 +01:00  bench-2  line1     terminal  update  10.0.0.3  S3      "
           "VX340      1.2A.3F            1.2B.05  running  -              -\n"
           "2026-12-07 11:00:30 +01:00  bench-1  line1     window    update  10.0.0.2  S2      "
           "VX\\x1b[2J  1.2A.3F            1.2B.05  stalled  no          95.0\n";
    QTest::newRow("csv")
        << "--serial S2 --csv"
        << "id,time,bench,operator,face,action,address,serial,model,hardware before,"
           "hardware after,software,target,result,changed,seconds,ended,record,tool version,"
           "stick files,signer key\r\n"
           "2,2026-12-07T10:00:30.000Z,bench-1,line1,window,update,10.0.0.2,S2,VX\x1b[2J,"
           "1.2A.3F,,,1.2B.05,stalled,no,95.0,2026-12-07T10:03:00.000Z,,,,\r\n";
    QTest::newRow("json")
        << "--serial S1 --last 1 --json"
        << "{\"action\":\"stage\",\"address\":\"10.0.0.4\",\"bench\":\"bench-1\",\"changed\":true,"
           "\"elapsedMs\":95040,\"ended\":\"2026-12-08T09:00:10.000Z\",\"event\":\"operation\","
           "\"face\":\"terminal\",\"files\":[{\"name\":\"firm.rbf\",\"sha256\":\"ab12\"},"
           "{\"name\":\"vx_server\",\"sha256\":\"cd34\"}],\"hardwareAfter\":\"1.2B.05\","
           "\"hardwareBefore\":\"1.2A.3F\",\"id\":6,\"model\":\"VX340\",\"operation\":\"op4\","
           "\"operator\":\"line1\",\"record\":\"\",\"result\":\"ok\",\"schema\":1,\"serial\":"
           "\"S1\","
           "\"signerKey\":\"\",\"software\":\"\",\"target\":\"1.2B.05\","
           "\"time\":\"2026-12-08T09:00:00.000Z\",\"toolVersion\":\"\"}\n";
    QTest::newRow("json, running")
        << "--serial S3 --json"
        << "{\"action\":\"update\",\"address\":\"10.0.0.3\",\"bench\":\"bench-2\",\"changed\":"
           "false,"
           "\"elapsedMs\":null,\"ended\":null,\"event\":\"operation\",\"face\":\"terminal\","
           "\"files\":[],\"hardwareAfter\":\"\",\"hardwareBefore\":\"1.2A.3F\",\"id\":4,"
           "\"model\":\"VX340\",\"operation\":\"op3\",\"operator\":\"line1\",\"record\":\"\","
           "\"result\":\"running\",\"schema\":1,\"serial\":\"S3\",\"signerKey\":\"\","
           "\"software\":\"\",\"target\":\"1.2B.05\",\"time\":\"2026-12-07T10:02:00.000Z\","
           "\"toolVersion\":\"\"}\n";
}

void HistoryCommandTest::forms() {
    QFETCH(QString, options);
    QFETCH(QString, out);
    const Run run = Command(m_path, options);
    QCOMPARE(run.err, QString());
    QCOMPARE(run.out, out);
    QCOMPARE(run.status, 0);
}

void HistoryCommandTest::filters_data() {
    QTest::addColumn<QString>("options");
    QTest::addColumn<QString>("ids"); // the operations' begin event ids, newest first
    QTest::newRow("all") << ""
                         << "6 4 2 1";
    QTest::newRow("serial") << "--serial S1"
                            << "6 1";
    QTest::newRow("since a time with its offset") << "--since 2026-12-07T11:00:30+01:00"
                                                  << "6 4 2";
    QTest::newRow("until the day's end") << "--until 2026-12-07"
                                         << "4 2 1";
    QTest::newRow("since and until") << "--since 2026-12-07T10:00:01Z --until 2026-12-07T10:02"
                                     << "4 2";
    QTest::newRow("result and serial") << "--result ok --serial S1 --until 2026-12-07"
                                       << "1";
    QTest::newRow("result, last") << "--result ok --last 1"
                                  << "6";
    QTest::newRow("running") << "--result running"
                             << "4";
    QTest::newRow("nothing matches") << "--serial S9"
                                     << "";
}

void HistoryCommandTest::filters() {
    QFETCH(QString, options);
    QFETCH(QString, ids);
    const Run run = Command(m_path, options + QStringLiteral(" --csv"));
    QCOMPARE(Ids(run.out), ids);
    QCOMPARE(run.status, 0);
    // The table shows the same operations, and says so when there are none.
    const Run table = Command(m_path, options);
    QCOMPARE(table.out.count('\n'), ids.isEmpty() ? 0 : ids.count(' ') + 2);
    QCOMPARE(table.err, ids.isEmpty() ? QStringLiteral("kestrel-flash: No operation of the history "
                                                       "%1 matches.\n")
                                            .arg(QDir::toNativeSeparators(m_path))
                                      : QString());
}

void HistoryCommandTest::usage_data() {
    QTest::addColumn<QString>("options");
    QTest::addColumn<QString>("error");
    const QString date =
        " is not a date: give one as 2026-12-07, or a time as 2026-12-07T14:05 "
        "or 2026-12-07T14:05:06, in UTC unless it ends in an offset such as +01:00";
    QTest::newRow("csv and json") << "--csv --json"
                                  << "--csv and --json cannot be used together";
    QTest::newRow("verify with a filter")
        << "--verify --serial S1"
        << "--verify checks the whole history: it takes no --serial, --since, --until, --result, "
           "--last or --csv";
    QTest::newRow("serial twice") << "--serial S1 --serial S2"
                                  << "--serial is given once";
    QTest::newRow("empty serial")
        << "--serial ''"
        << "--serial takes a serial number as the camera tells it: 1 to 64 characters, none of "
           "them a control character";
    QTest::newRow("since, no date") << "--since yesterday"
                                    << "--since yesterday" + date;
    QTest::newRow("until, no day 31") << "--until 2026-11-31"
                                      << "--until 2026-11-31" + date;
    QTest::newRow("since after until") << "--since 2026-12-08 --until 2026-12-07"
                                       << "--since is after --until: no operation could match";
    QTest::newRow("unknown result")
        << "--result fine"
        << "--result fine is not a result code; the codes are: ok, stalled, interrupted, running";
    QTest::newRow("last zero") << "--last 0"
                               << "--last 0 is not a number of operations: give a whole number "
                                  "from 1 on";
    QTest::newRow("last, sign") << "--last +3"
                                << "--last +3 is not a number of operations: give a whole number "
                                   "from 1 on";
}

void HistoryCommandTest::usage() {
    QFETCH(QString, options);
    QFETCH(QString, error);
    const Run run = Command(m_path, options);
    QCOMPARE(run.err, QStringLiteral("kestrel-flash: %1\nRun \"kestrel-flash history --help\" for "
                                     "its usage.\n")
                          .arg(error));
    QCOMPARE(run.out, QString());
    QCOMPARE(run.status, 2);
}

void HistoryCommandTest::verdict_data() {
    QTest::addColumn<QString>("file"); // "history": the small history; "tampered": it, changed
    QTest::addColumn<QString>("options");
    QTest::addColumn<int>("status");
    QTest::addColumn<QString>("out");
    QTest::addColumn<QString>("err");
    QTest::newRow("intact")
        << "history"
        << "--verify" << 0
        << "The history %1 is intact: checked 7 events, each as it was written and in the order "
           "written.\n"
        << "";
    QTest::newRow("intact, json")
        << "history"
        << "--verify --json" << 0
        << "{\"checked\":7,\"detail\":\"The history %1 is intact: checked 7 events, each as it "
           "was written and in the order "
           "written.\",\"event\":\"verify\",\"ok\":true,\"schema\":1}\n"
        << "";
    QTest::newRow("changed")
        << "tampered"
        << "--verify" << 1 << ""
        << "kestrel-flash: The history %1 fails its check after 2 events found intact: event 3 "
           "was changed after it was written.\n";
    QTest::newRow("changed, json")
        << "tampered"
        << "--verify --json" << 1
        << "{\"checked\":2,\"detail\":\"The history %1 fails its check after 2 events found "
           "intact: event 3 was changed after it was written.\",\"event\":\"verify\","
           "\"ok\":false,\"schema\":1}\n"
        << "";
    QTest::newRow("no history yet")
        << "missing"
        << "--verify" << 0 << "The history %1 does not exist yet: there are no events to check.\n"
        << "";
    QTest::newRow("no history yet: no operations")
        << "missing"
        << "--csv" << 0
        << "id,time,bench,operator,face,action,address,serial,model,hardware before,"
           "hardware after,software,target,result,changed,seconds,ended,record,tool version,"
           "stick files,signer key\r\n"
        << "kestrel-flash: The history %1 does not exist yet: there are no operations to show.\n";
    QTest::newRow("not a database")
        << "text"
        << "--last 1" << 1 << ""
        << "kestrel-flash: The history %1 could not be opened: the file is not an SQLite "
           "database.\n";
}

void HistoryCommandTest::verdict() {
    QFETCH(QString, file);
    QFETCH(QString, options);
    QFETCH(int, status);
    QFETCH(QString, out);
    QFETCH(QString, err);
    QString path = m_dir.filePath(file + QStringLiteral(".sqlite"));
    if (file == QLatin1String("history")) {
        path = m_path;
    } else if (file == QLatin1String("tampered")) {
        QFile::remove(path);
        QVERIFY(QFile::copy(m_path, path));
        {
            QSqlDatabase db =
                QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), QStringLiteral("raw"));
            db.setDatabaseName(path);
            QVERIFY(db.open());
            QSqlQuery sql(db);
            QVERIFY(sql.exec(QStringLiteral("DROP TRIGGER events_no_update")));
            QVERIFY(sql.exec(QStringLiteral("UPDATE events SET result = 'stalled' WHERE id = 3")));
        }
        QSqlDatabase::removeDatabase(QStringLiteral("raw"));
    } else if (file == QLatin1String("text")) {
        QFile text(path);
        QVERIFY(text.open(QIODevice::WriteOnly));
        text.write(QByteArray(4096, 'x'));
    }
    const QString shown = QDir::toNativeSeparators(path);
    const Run run = Command(path, options);
    QCOMPARE(run.out, out.contains(QLatin1String("%1")) ? out.arg(shown) : out);
    QCOMPARE(run.err, err.contains(QLatin1String("%1")) ? err.arg(shown) : err);
    QCOMPARE(run.status, status);
}

QTEST_GUILESS_MAIN(HistoryCommandTest)
#include "history_command_test.moc"
