// The parts of kestrel-flash that need no camera: addresses, the text shown
// on the terminal, the log as lines, the report line, the summary and Ctrl-C.

#include "camera_address.h"
#include "job_presenter.h"
#include "job_runner.h"
#include "live_output.h"
#include "plain_output.h"
#include "report_file.h"
#include "stop_signals.h"
#include "terminal.h"
#include "text_output.h"

#include <QCommandLineParser>
#include <QDir>
#include <QFile>
#include <QJsonDocument>
#include <QRegularExpression>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

#include <csignal>
#include <cstdio>

using namespace kestrel::cli;
using kestrel::StopSignals;

Q_DECLARE_METATYPE(const kestrel::cli::Command*)

namespace {

// Everything written to a temporary file so far.
QByteArray Written(std::FILE* file) {
    std::fflush(file);
    const long size = std::ftell(file);
    QByteArray bytes(size, '\0');
    std::rewind(file);
    const std::size_t read = std::fread(bytes.data(), 1, static_cast<std::size_t>(size), file);
    std::fseek(file, 0, SEEK_END);
    return bytes.left(static_cast<qsizetype>(read));
}

JobEvent Event(int job, JobEvent::Kind kind) {
    JobEvent event;
    event.job = job;
    event.kind = kind;
    return event;
}

// The plan of an update, as the command line would give it.
JobPlan UpdatePlan() {
    JobPlan plan;
    plan.command = &UpdateCommand();
    return plan;
}

// Each job's record, as its runner keeps them.
QList<JobRecord> Records(const QStringList& names) {
    QList<JobRecord> records;
    for (const QString& name : names)
        records.append(JobRecord(name));
    return records;
}

// The event taken into its job's record, then shown, as the runner does.
void Feed(QList<JobRecord>& records, ProgressOutput& output, const JobEvent& event) {
    const bool changed = records[event.job].Apply(event);
    output.OnEvent(event, changed);
}

// The options an option list names, each with the first line of its
// description: lines "  -h, --help  text", "  --report FILE  text" or
// "  --report <FILE>  text"; a description too long for the line follows on
// the next one.
QMap<QString, QString> ListedOptions(const QString& help) {
    static const QRegularExpression entry(
        QStringLiteral("^  (-[\\w-]+(?:, --[\\w-]+)?)(?: <?[A-Z.]+>?)?(?: +(.*))?$"));
    QMap<QString, QString> listed;
    const QStringList lines = help.split(QLatin1Char('\n'));
    for (qsizetype i = 0; i < lines.size(); ++i) {
        const QRegularExpressionMatch match = entry.match(lines.at(i));
        if (!match.hasMatch())
            continue;
        const QString text = match.captured(2).isEmpty() && i + 1 < lines.size()
                                 ? lines.at(i + 1).trimmed()
                                 : match.captured(2);
        for (const QString& name : match.captured(1).split(QStringLiteral(", ")))
            listed.insert(name, text);
    }
    return listed;
}

class RecordingSink : public JobSink {
public:
    void Post(const JobEvent& event) override { events.append(event); }
    QStringList Texts(JobEvent::Kind kind) const {
        QStringList texts;
        for (const JobEvent& event : events) {
            if (event.kind == kind)
                texts.append(event.text);
        }
        return texts;
    }
    QList<JobEvent> events;
};

} // namespace

class CliPartsTest : public QObject {
    Q_OBJECT
private slots:
    void goodAddresses_data();
    void goodAddresses();
    void escapedText_data();
    void escapedText();
    void jsonLineIsSafeAndRoundTrips();
    void durations_data();
    void durations();
    void logBecomesCompleteLines();
    void messagesAndChoosers();
    void reportLine();
    void summaryTable();
    void failureReasonToldOnce();
    void liveBarsRedrawInPlace();
    void moreJobsThanLinesShowThoseAtWork();
    void helpListsWhatTheParserAccepts_data();
    void helpListsWhatTheParserAccepts();
    void startsOnlyWhenCtrlCCanBeCaught();
    void ctrlCLetsTheCopyEnd();
};

void CliPartsTest::goodAddresses_data() {
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("host");
    QTest::addColumn<int>("port");
    QTest::newRow("address") << "192.168.1.40"
                             << "192.168.1.40" << 5000;
    QTest::newRow("address and port") << "10.0.0.5:15000"
                                      << "10.0.0.5" << 15000;
    QTest::newRow("host name") << "cam-07.lab"
                               << "cam-07.lab" << 5000;
    QTest::newRow("host and port") << "localhost:1"
                                   << "localhost" << 1;
    QTest::newRow("highest port") << "cam:65535"
                                  << "cam" << 65535;
    QTest::newRow("fully qualified") << "cam.lab.example."
                                     << "cam.lab.example." << 5000;
}

void CliPartsTest::goodAddresses() {
    QFETCH(QString, text);
    QFETCH(QString, host);
    QFETCH(int, port);
    QString error;
    const std::optional<CameraAddress> address = ParseCameraAddress(text, 5000, &error);
    QVERIFY2(address.has_value(), qPrintable(error));
    QCOMPARE(address->host, host);
    QCOMPARE(static_cast<int>(address->port), port);
    QCOMPARE(address->Text(), host + ':' + QString::number(port));
}

void CliPartsTest::escapedText_data() {
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("shown");
    QTest::newRow("plain") << "vx_server 3.8.2"
                           << "vx_server 3.8.2";
    QTest::newRow("tab") << "a\tb"
                         << "a b";
    QTest::newRow("escape") << "\x1b[2J"
                            << "\\x1b[2J";
    QTest::newRow("bell and NUL") << QString::fromLatin1("a\x07\0b", 4) << "a\\x07\\x00b";
    QTest::newRow("line ends") << "a\r\nb"
                               << "a\\x0d\\x0ab";
    QTest::newRow("DEL") << "\x7f"
                         << "\\x7f";
    QTest::newRow("C1 CSI") << QString(QChar(0x9b)) + "31m"
                            << "\\x9b31m";
    QTest::newRow("Latin-1 letters stay")
        << QString::fromLatin1("N\xb0 caf\xe9") << QString::fromLatin1("N\xb0 caf\xe9");
    QTest::newRow("backslash stays") << "C:\\stick"
                                     << "C:\\stick";
}

void CliPartsTest::escapedText() {
    QFETCH(QString, text);
    QFETCH(QString, shown);
    QCOMPARE(Escaped(text), shown);
}

void CliPartsTest::jsonLineIsSafeAndRoundTrips() {
    const QString text =
        QStringLiteral("a\x1b") + QChar(0x9b) + QChar(0x85) + "\x7f" + QChar(0xe9) + "\n";
    const QJsonObject object{{"text", text}};
    const QByteArray line = kestrel::JsonObjectLine(object);
    QVERIFY(line.endsWith('\n'));
    QCOMPARE(line.count('\n'), 1);
    QCOMPARE(line, QByteArray("{\"text\":\"a\\u001b\\u009b\\u0085\\u007f\xc3\xa9\\n\"}\n"));
    QCOMPARE(QJsonDocument::fromJson(line).object(), object);
}

void CliPartsTest::durations_data() {
    QTest::addColumn<qint64>("ms");
    QTest::addColumn<QString>("text");
    QTest::newRow("zero") << qint64(0) << "0:00";
    QTest::newRow("under a minute") << qint64(59999) << "0:59";
    QTest::newRow("a minute") << qint64(61000) << "1:01";
    QTest::newRow("an hour") << qint64(3600000) << "1:00:00";
    QTest::newRow("over an hour") << qint64(3725000) << "1:02:05";
}

void CliPartsTest::durations() {
    QFETCH(qint64, ms);
    QFETCH(QString, text);
    QCOMPARE(Duration(ms), text);
}

void CliPartsTest::logBecomesCompleteLines() {
    RecordingSink sink;
    JobPresenter surface(3, sink);
    surface.Say("!! DO NOT POWER OFF !!\r\n\r\n");
    surface.Say("Programming\r\n");
    // A heading waits for the words that complete its line.
    surface.Say("\t=> Erasing: ");
    QCOMPARE(sink.Texts(JobEvent::Kind::Log),
             (QStringList{"!! DO NOT POWER OFF !!", "Programming"}));
    surface.Say("ok \r\n");
    surface.Say("\t=> Programming: ");
    surface.Say("\r\nThe camera stopped.\r\nDo NOT power it off.\r\n");
    QCOMPARE(sink.Texts(JobEvent::Kind::Log),
             (QStringList{"!! DO NOT POWER OFF !!", "Programming", "=> Erasing: ok",
                          "=> Programming:", "The camera stopped.", "Do NOT power it off."}));
    for (const JobEvent& event : sink.events)
        QCOMPARE(event.job, 3);
}

void CliPartsTest::messagesAndChoosers() {
    RecordingSink sink;
    JobPresenter surface(0, sink);
    kestrel::SessionEvents events;
    surface.Present(events);
    emit events.progress(10);
    emit events.progress(10); // unchanged: no event
    emit events.progress(0);
    emit events.message("first");
    emit events.message("second");
    QCOMPARE(sink.Texts(JobEvent::Kind::Message), (QStringList{"first", "second"}));
    QList<int> percents;
    for (const JobEvent& event : sink.events) {
        if (event.kind == JobEvent::Kind::Percent)
            percents.append(event.percent);
    }
    QCOMPARE(percents, (QList<int>{10, 0}));
}

void CliPartsTest::reportLine() {
    JobResult result;
    result.Set(kestrel::ResultCode::Stalled, "The camera has stopped\n\nDo NOT power it off.");
    result.before.serial = "2104\x1b"
                           "0017";
    result.before.hardware = "1.2A.3F";
    result.before.software = "vx\tserver";
    result.elapsedMs = 12345;
    result.record = "/logs/2104_x1b0017_20261207-140506.log";
    const QDateTime when(QDate(2026, 12, 7), QTime(14, 5, 6), Qt::OffsetFromUTC, 3600);
    QCOMPARE(ReportFile::Line("10.0.0.5:5000", result, when),
             QStringLiteral("2026-12-07T14:05:06+01:00\t10.0.0.5:5000\t2104\\x1b0017\t1.2A.3F\t"
                            "vx server\t-\t-\tstalled\t12.3\tThe camera has stopped Do NOT power "
                            "it off.\t/logs/2104_x1b0017_20261207-140506.log\n"));
}

void CliPartsTest::summaryTable() {
    JobRecord good("10.0.0.5:5000");
    good.finished = true;
    good.result.before.serial = "21040017";
    good.result.Set(kestrel::ResultCode::Ok, QString());
    good.result.elapsedMs = 61000;
    JobRecord bad("cam-07.lab:5000");
    bad.finished = true;
    bad.result.Set(kestrel::ResultCode::ConnectFailed,
                   "Could not connect to the camera at cam-07.lab: no "
                   "camera of that name was found.");
    bad.result.elapsedMs = 20;
    QCOMPARE(SummaryTable({good, bad}),
             QStringLiteral("\n"
                            "CAMERA           SERIAL    RESULT                     TIME\n"
                            "10.0.0.5:5000    21040017  ok                         1:01\n"
                            "cam-07.lab:5000  -         FAILED: could not connect  0:00\n"
                            "\n"
                            "cam-07.lab:5000: Could not connect to the camera at cam-07.lab: no "
                            "camera of that name was found.\n"
                            "1 of 2 failed.\n"));
}

void CliPartsTest::failureReasonToldOnce() {
    std::FILE* file = std::tmpfile();
    QVERIFY(file);
    {
        const JobPlan update = UpdatePlan();
        QList<JobRecord> records = Records({"a", "b", "c"});
        PlainOutput output(file, 3600000);
        output.Begin(update, records);
        // c is a plan's camera that could not be asked.
        JobEvent refused = Event(2, JobEvent::Kind::Message);
        refused.text = "Refused.";
        JobEvent plan = Event(2, JobEvent::Kind::Plan);
        plan.result.Set(kestrel::ResultCode::Unreachable, "Refused.");
        JobEvent unreachable = Event(2, JobEvent::Kind::Finished);
        unreachable.result = plan.result;
        JobEvent told = Event(0, JobEvent::Kind::Message);
        told.text = "Stuck\nhere.";
        JobEvent other = Event(1, JobEvent::Kind::Message);
        other.text = "Look.";
        JobEvent log = Event(1, JobEvent::Kind::Log);
        log.text = "line";
        JobEvent failed = Event(0, JobEvent::Kind::Finished);
        failed.result.Set(kestrel::ResultCode::Stalled, "Stuck here.");
        JobEvent stalled = Event(1, JobEvent::Kind::Finished);
        stalled.result.Set(kestrel::ResultCode::Stalled, "Other.");
        for (const JobEvent& event :
             {told, Event(0, JobEvent::Kind::State), failed, other, log,
              Event(1, JobEvent::Kind::Percent), stalled, refused, plan, unreachable})
            Feed(records, output, event);
        output.End();
    }
    const QByteArray all = Written(file);
    std::fclose(file);
    // A message that is not its job's failure reason stays in its place.
    QVERIFY2(all.startsWith("a: FAILED: programming stalled (0:00)\n"
                            "b: ! Look.\n"
                            "b: line\n"
                            "b: FAILED: programming stalled (0:00)\n"),
             all.constData());
    QCOMPARE(all.count("Stuck here."), 1);
    QCOMPARE(all.count("Refused."), 1);
    QVERIFY(all.contains("c: plan: unreachable\n"));
    QVERIFY(all.endsWith("a: Stuck here.\nb: Other.\nc: Refused.\n3 of 3 failed.\n"));
}

void CliPartsTest::liveBarsRedrawInPlace() {
    std::FILE* file = std::tmpfile();
    QVERIFY(file);
    {
        const JobPlan plan = UpdatePlan();
        QList<JobRecord> records = Records({"10.0.0.5:5000", "10.0.0.6:5000"});
        LiveOutput output(file);
        output.Begin(plan, records);
        // The first drawing: two bar lines, nothing to move over yet.
        QCOMPARE(Written(file).count('\n'), 2);
        QVERIFY(!Written(file).contains('\x1b'));

        JobEvent figures = Event(0, JobEvent::Kind::Figures);
        figures.state = JobState::Erasing;
        figures.done = 77;
        figures.total = 155;
        Feed(records, output, figures);
        JobEvent percent = Event(0, JobEvent::Kind::Percent);
        percent.percent = 50;
        Feed(records, output, percent);
        JobEvent log = Event(1, JobEvent::Kind::Log);
        log.text = "Programming\x1b[2J";
        Feed(records, output, log);
        QTRY_VERIFY_WITH_TIMEOUT(Written(file).contains("sector 77/155"), 5000);
        const QByteArray redraw = Written(file);
        const QByteArray tail = redraw.mid(redraw.lastIndexOf("\x1b[2F\x1b[J"));
        QVERIFY(tail.startsWith("\x1b[2F\x1b[J10.0.0.6:5000: Programming\\x1b[2J\n"));
        QVERIFY(tail.contains("10.0.0.5:5000  erasing      [########--------]  50%  sector "
                              "77/155"));
        QVERIFY(tail.contains("10.0.0.6:5000  connecting   0:0"));

        for (int job : {0, 1}) {
            JobEvent finished = Event(job, JobEvent::Kind::Finished);
            finished.result.Set(job == 0 ? kestrel::ResultCode::Ok : kestrel::ResultCode::Stalled,
                                "stuck");
            Feed(records, output, finished);
        }
        output.End();
    }
    const QByteArray all = Written(file);
    std::fclose(file);
    // The bars are taken away for the summary, and no end of a job is told
    // twice above it.
    const QByteArray end = all.mid(all.lastIndexOf("\x1b[2F\x1b[J"));
    QVERIFY(end.startsWith("\x1b[2F\x1b[J\nCAMERA"));
    QVERIFY(end.contains("10.0.0.6:5000  -       FAILED: programming stalled"));
    QVERIFY(!all.contains("ok ("));
}

void CliPartsTest::moreJobsThanLinesShowThoseAtWork() {
    std::FILE* file = std::tmpfile(); // not a terminal: 24 lines are assumed
    QVERIFY(file);
    QStringList names;
    for (int i = 0; i < 30; ++i)
        names.append(QStringLiteral("cam%1").arg(i, 2, 10, QLatin1Char('0')));
    {
        const JobPlan plan = UpdatePlan();
        QList<JobRecord> records = Records(names);
        LiveOutput output(file);
        output.Begin(plan, records);
        JobEvent finished = Event(0, JobEvent::Kind::Finished);
        finished.result.Set(kestrel::ResultCode::Ok, QString());
        Feed(records, output, finished);
        QTRY_VERIFY_WITH_TIMEOUT(Written(file).contains("\x1b[22F"), 5000);
        const QByteArray all = Written(file);
        const QList<QByteArray> lines = all.mid(all.lastIndexOf("\x1b[22F")).split('\n');
        // 21 bars, the count of the others, and what follows the last line end.
        QCOMPARE(lines.size(), 23);
        QVERIFY(lines.at(0).contains("\x1b[Jcam01  connecting   0:0"));
        QVERIFY(lines.at(20).startsWith("cam21  connecting"));
        QCOMPARE(lines.at(21), QByteArray("... and 9 more"));
        QVERIFY(!all.mid(all.lastIndexOf("\x1b[22F")).contains("cam00"));
        output.End();
    }
    std::fclose(file);
}

void CliPartsTest::helpListsWhatTheParserAccepts_data() {
    QTest::addColumn<const Command*>("command");
    for (const Command* command : Commands())
        QTest::newRow(qPrintable(command->name)) << command;
}

// The parser, not the help, says which options there are: its own listing
// of what it was given is compared with the help's.
void CliPartsTest::helpListsWhatTheParserAccepts() {
    QFETCH(const Command*, command);
    QCommandLineParser parser;
    AddOptions(*command, parser);
    QMap<QString, QString> accepted = ListedOptions(parser.helpText());
    if (command->helpAnywhere) { // found among the arguments before the parser
        QVERIFY(!accepted.contains("--help"));
        accepted.insert("-h", "before the parser");
        accepted.insert("--help", "before the parser");
    }
    const QMap<QString, QString> helped = ListedOptions(CommandHelp(*command));
    QVERIFY(accepted.contains("--help"));
    QCOMPARE(helped.keys(), accepted.keys());
    for (const QString& name : helped.keys()) {
        QVERIFY2(!helped.value(name).isEmpty(), qPrintable(name));
        QVERIFY2(!accepted.value(name).isEmpty(), qPrintable(name));
    }
}

void CliPartsTest::startsOnlyWhenCtrlCCanBeCaught() {
    PlainOutput output(stdout); // nothing to show
    JobRunner runner(output);
    StopSignals first; // one instance per process holds the handlers
    QVERIFY(first.Install());
    for (const Command* command : Commands()) {
        StopSignals refused;
        QString refusal;
        const bool needed = QStringList{"update", "watch", "stage"}.contains(command->name);
        QCOMPARE(runner.FollowStopRequests(refused, *command, &refusal), !needed);
        QCOMPARE(refusal.startsWith(command->name +
                                    " was not started: Ctrl-C and SIGTERM cannot be caught here"),
                 needed);
    }
    // The refused instances took nothing from the first one.
    QSignalSpy stopped(&first, &StopSignals::stopRequested);
    std::raise(SIGINT);
    QVERIFY(stopped.wait());
}

void CliPartsTest::ctrlCLetsTheCopyEnd() {
    QTemporaryDir dir;
    QVERIFY(QDir(dir.path()).mkdir("stick"));
    for (const char* name : {"hw.rbf", "vx"}) {
        QFile file(dir.filePath(name));
        QVERIFY(file.open(QIODevice::WriteOnly) && file.write(name) > 0);
    }
    JobPlan plan;
    plan.command = &StageCommand();
    plan.hwFile = dir.filePath("hw.rbf");
    plan.swFile = dir.filePath("vx");
    plan.folder = dir.filePath("stick");
    std::FILE* file = std::tmpfile();
    PlainOutput output(file);
    JobRunner runner(output);
    QSignalSpy ended(&runner, &JobRunner::finished);
    QTimer::singleShot(0, &runner, &JobRunner::Interrupt); // Ctrl-C while it copies
    runner.Start(plan);
    QVERIFY(ended.wait());
    QVERIFY(runner.AllSucceeded());
    QVERIFY(Written(file).contains(": ! The copy goes on to its end, so that no file on the "
                                   "stick is left half-written.\n"));
    std::fclose(file);
}

QTEST_MAIN(CliPartsTest)
#include "cli_parts_test.moc"
