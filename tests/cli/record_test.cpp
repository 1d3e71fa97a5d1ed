// Conversation records (--log-dir): the exact lines of a run on a clock of
// the test's own, camera text escaped, the file's name, lines left out when
// the disk lags; as a process, a folder that cannot be written and a disk
// that fills up during a run.

#include "flash_process.h"
#include "job_runner.h"
#include "record_book.h"
#include "sim_thread.h"
#include "terminal.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>

#include <memory>
#include <optional>
#include <utility>

using namespace kestrel::cli;
using kestrel::sim::SimOptions;
using kestrel::sim::SimThread;
using kestrel::test::FlashCamera;
using kestrel::test::Loopback;

namespace {

// 2026-12-07 14:05:06 at UTC+01:00, a millisecond later at each reading.
RecordClock SteppingClock() {
    auto reads = std::make_shared<qint64>(0);
    return [reads] {
        return QDateTime(QDate(2026, 12, 7), QTime(14, 5, 6), Qt::OffsetFromUTC, 3600)
            .addMSecs((*reads)++);
    };
}

// The lines, each stamped with the next millisecond from ms on.
QStringList Stamped(const QStringList& lines, int ms = 0) {
    QStringList stamped;
    for (const QString& line : lines)
        stamped << QStringLiteral("2026-12-07T14:05:06.%1+01:00 ").arg(ms++, 3, 10, QChar('0')) +
                       line;
    return stamped;
}

QStringList Lines(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? QString::fromUtf8(file.readAll()).split('\n')
                                          : QStringList();
}

class Quiet : public ProgressOutput {
    void Begin(const JobPlan&, const QList<JobRecord>&) override {}
    void OnEvent(const JobEvent&, bool) override {}
    void End() override {}
};

// The command on the camera, in this process, recorded in folder.
JobResult Recorded(const Command& command, const SimOptions& camera, const QString& folder,
                   QString* address) {
    SimThread sim(camera);
    if (!sim.Start())
        return {};
    const CameraAddress where{QStringLiteral("127.0.0.1"), sim.Port()};
    *address = where.Text();
    RecordBook book(folder, command.name, {where.Text()}, SteppingClock());
    JobPlan plan;
    plan.command = &command;
    plan.cameras = {where};
    plan.records = &book;
    Quiet output;
    JobRunner runner(output);
    QSignalSpy finished(&runner, &JobRunner::finished);
    runner.Start(plan);
    if (!finished.wait(60000))
        return {};
    return runner.Records().at(0).result;
}

// A small tmpfs on a folder while this lives; mounting needs root, as CI has.
struct SmallDisk {
    SmallDisk(const QString& folder, const QString& options)
        : folder(folder),
          mounted(QDir().mkpath(folder) && QProcess::execute("mount", {"-t", "tmpfs", "-o", options,
                                                                       "tmpfs", folder}) == 0) {}
    ~SmallDisk() {
        if (mounted)
            QProcess::execute("umount", {folder});
    }
    QString folder;
    bool mounted;
};

} // namespace

// Fails where CI runs; skips on a developer's machine without the right.
#define REQUIRE_MOUNTED(disk)                                                                      \
    if (!(disk).mounted) {                                                                         \
        QVERIFY2(!qEnvironmentVariableIsSet("CI"), "a small tmpfs could not be mounted");          \
        QSKIP("mounting a small tmpfs needs root");                                                \
    }

class RecordTest : public QObject {
    Q_OBJECT
private slots:
    void exactLinesOfARun();
    void fileKnownWhileOpen();
    void cameraTextIsEscaped_data();
    void cameraTextIsEscaped();
    void lossAndReconnection();
    void linesLeftOutWhileTheDiskLags();
    void unwritableFolderTouchesNoCamera_data();
    void unwritableFolderTouchesNoCamera();
    void fullDiskCutsTheRecordNotTheRun();
};

void RecordTest::exactLinesOfARun() {
    QTemporaryDir dir;
    QString address;
    const JobResult result = Recorded(InfoCommand(), FlashCamera(), dir.path(), &address);
    QCOMPARE(result.record, dir.filePath("21040017_20261207-140506.log"));
    const QString wire = "-- phase: connecting|-- connected|<- KESTREL VX CAMERA SERVER READY|"
                         "-> CAM_FIRMWAREUPDATE 1|<- 0 0 0 0|-> CAM_GETSERIALNUMBER|"
                         "<- CAM_GETSERIALNUMBER 21040017|-> CAM_GETCAMERATYPE|"
                         "<- CAM_GETCAMERATYPE 7|-> CAM_GETSENSORCOLOR|<- CAM_GETSENSORCOLOR 1|"
                         "-> CAM_GETSENSORBAYERTYPE|<- CAM_GETSENSORBAYERTYPE 2|-> REG_READ 6E80|"
                         "<- 1|-> REG_READ 6F80|<- 2a|-> REG_READ 1F80|<- 3f|-> GETSERVER_VERSION|"
                         "<- vx_server 3.8.2 build 1187|-- serial number 21040017|-> CLOSE|<- OK|"
                         "-- phase: done|-- ended: ok";
    const QStringList expected =
        Stamped(QStringList{"-- kestrel-flash info " + address} + wire.split('|')) << QString();
    QCOMPARE(Lines(result.record), expected);
    // The same camera in the same second: a record of its own; the first stays.
    const JobResult again = Recorded(InfoCommand(), FlashCamera(), dir.path(), &address);
    QCOMPARE(again.record, dir.filePath("21040017_20261207-140506-2.log"));
    QCOMPARE(Lines(result.record), expected);
}

void RecordTest::fileKnownWhileOpen() {
    // The result event tells the file while the record is still open.
    QTemporaryDir dir;
    RecordBook book(dir.path(), QStringLiteral("update"), {QStringLiteral("127.0.0.1:5000")},
                    SteppingClock());
    book.Start({});
    book.Add(0, RecordBook::Mark::Event, QStringLiteral("connected"));
    QCOMPARE(book.File(0), QString()); // not named yet: nothing on the disk
    book.Name(0, QStringLiteral("21040017"));
    QTRY_COMPARE(book.File(0), dir.filePath("21040017_20261207-140506.log"));
    book.Close();
    QCOMPARE(book.File(0), dir.filePath("21040017_20261207-140506.log"));
}

void RecordTest::cameraTextIsEscaped_data() {
    QTest::addColumn<QByteArray>("serial");
    QTest::addColumn<QString>("name"); // PORT: the camera's port
    QTest::newRow("terminal sequences") << QByteArray("21\x1b[2J\x9b\x7f\x07") << "21__2J___";
    QTest::newRow("a path") << QByteArray("../../etc/passwd") << "______etc_passwd";
    QTest::newRow("no letter or digit") << QByteArray("../..") << "127_0_0_1_PORT";
    QTest::newRow("an option, too long") << "-rf" + QByteArray(60, 'A') << "_rf" + QString(37, 'A');
}

void RecordTest::cameraTextIsEscaped() {
    QFETCH(QByteArray, serial);
    QFETCH(QString, name);
    QTemporaryDir dir;
    SimOptions camera = FlashCamera(serial);
    camera.greeting = serial;
    QString address;
    const JobResult result = Recorded(InfoCommand(), camera, dir.path(), &address);
    QCOMPARE(result.record, dir.filePath(name.replace("PORT", address.section(':', 1)) +
                                         QStringLiteral("_20261207-140506.log")));
    const QString shown = Escaped(QString::fromLatin1(serial));
    QCOMPARE(Lines(result.record).mid(3, 5),
             Stamped({"<- " + shown, "-> CAM_FIRMWAREUPDATE 1", "<- 0 0 0 0",
                      "-> CAM_GETSERIALNUMBER", "<- CAM_GETSERIALNUMBER " + shown},
                     3));
}

void RecordTest::lossAndReconnection() {
    QTemporaryDir dir;
    SimOptions camera = FlashCamera();
    camera.closeAfter = 20; // each connection ends after twenty answers
    QString address;
    const JobResult result = Recorded(UpdateCommand(), camera, dir.path(), &address);
    QStringList events; // the tool's own, from the first loss on
    for (const QString& line : Lines(result.record)) {
        if (line.contains(" -- ") && (!events.isEmpty() || line.contains("lost")))
            events.append(line.section(QLatin1Char(' '), 2));
    }
    QCOMPARE(events.mid(0, 3), (QStringList{"connection lost: the camera closed the connection",
                                            "phase: reconnecting", "connected"}));
    QVERIFY(events.contains("reconnected, following the run"));
    QCOMPARE(events.last(), "ended: ok: Programming finished: power-cycle the camera to load "
                            "the new firmware.");
}

void RecordTest::linesLeftOutWhileTheDiskLags() {
    QTemporaryDir dir;
    // Room for the first line and two more while nothing is written yet.
    RecordBook book(dir.path(), "update", {"cam:5000"}, SteppingClock(), 150);
    for (int i = 1; i <= 5; ++i)
        book.Add(0, RecordBook::Mark::Received, QString::number(i) + " 2 3 4");
    JobResult result;
    result.Set(kestrel::ResultCode::Stalled, "Stalled.");
    book.End(0, result);
    book.Start({});
    book.Close();
    QCOMPARE(book.File(0), dir.filePath("cam_5000_20261207-140506.log"));
    QCOMPARE(Lines(book.File(0)),
             Stamped({"-- kestrel-flash update cam:5000", "<- 1 2 3 4", "<- 2 2 3 4"}) +
                     Stamped({"-- 3 line(s) left out here: the disk did not keep up"}, 6) +
                     Stamped({"-- ended: stalled: Stalled."}, 6)
                 << QString());
}

void RecordTest::unwritableFolderTouchesNoCamera_data() {
    QTest::addColumn<QString>("folder"); // in a folder holding the file "file"
    QTest::addColumn<QString>("reason");
    for (const auto& [folder, reason] : {std::pair{"missing", "it does not exist"},
                                         {"file", "it is not a folder"},
                                         {"file/records", "it does not exist"},
                                         {"read-only", "Read-only file system"}})
        QTest::newRow(folder) << QString(folder) << QString(reason);
}

void RecordTest::unwritableFolderTouchesNoCamera() {
    QFETCH(QString, folder);
    QFETCH(QString, reason);
    QTemporaryDir dir;
    QFile file(dir.filePath("file"));
    QVERIFY(file.open(QIODevice::WriteOnly));
    std::optional<SmallDisk> disk;
    if (folder == QLatin1String("read-only")) {
        disk.emplace(dir.filePath(folder), "ro,size=16k");
        REQUIRE_MOUNTED(*disk);
    }
    SimThread sim(FlashCamera());
    QVERIFY(sim.Start());
    const QString path = dir.filePath(folder);
    const auto run = kestrel::test::RunFlash({"update", "--log-dir", path, Loopback(sim.Port())});
    QCOMPARE(run.exitCode, 1);
    QCOMPARE(QString::fromUtf8(run.err), "kestrel-flash: cannot write conversation records into "
                                         "the folder " +
                                             path + ": " + reason + "\n");
    QCOMPARE(sim.ConnectionsAccepted(), 0);
}

void RecordTest::fullDiskCutsTheRecordNotTheRun() {
    QTemporaryDir dir;
    const SmallDisk disk(dir.filePath("disk"), "size=16k");
    REQUIRE_MOUNTED(disk);
    // Four pages, three taken: the record has one, less than the run needs.
    QFile filler(disk.folder + "/filler");
    QVERIFY(filler.open(QIODevice::WriteOnly));
    QCOMPARE(filler.write(QByteArray(12 * 1024, 'x')), 12 * 1024);
    QVERIFY(filler.flush());
    SimOptions camera = FlashCamera();
    camera.eraseMs = 6000;
    SimThread sim(camera);
    QVERIFY(sim.Start());
    const QString report = dir.filePath("record.tsv");
    const auto run = kestrel::test::RunFlash(
        {"update", "--log-dir", disk.folder, "--report", report, Loopback(sim.Port())});
    QCOMPARE(run.exitCode, 0);
    const QStringList fields = Lines(report).value(0).split('\t');
    QCOMPARE(fields.value(7), QStringLiteral("ok"));
    const QString record = fields.value(10);
    QVERIFY2(record.startsWith(disk.folder + "/21040017_"), qPrintable(record));
    QCOMPARE(Lines(record).value(0).section(' ', 1),
             "-- kestrel-flash update " + Loopback(sim.Port()));
    // Told once, as a message of the camera's, and the run went on to its end.
    const QString told = Loopback(sim.Port()) + ": ! The conversation record " + record +
                         " stops here: No space left on device. The run goes on without it.";
    QCOMPARE(run.out.count("conversation record"), 1);
    const qsizetype at = run.OutLines().indexOf(told);
    QVERIFY2(at >= 0, run.out.constData());
    QVERIFY(at < run.OutLines().indexOf(Loopback(sim.Port()) + ": => Programming finished"));
}

QTEST_MAIN(RecordTest)
#include "record_test.moc"
