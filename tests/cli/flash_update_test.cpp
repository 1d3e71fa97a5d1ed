// kestrel-flash update: one camera, five at once, and the records it leaves.

#include "flash_process.h"
#include "sim_thread.h"

#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QProcess>
#include <QRegularExpression>
#include <QSet>
#include <QTemporaryDir>
#include <QTest>

#include <memory>
#include <vector>

#ifndef Q_OS_WIN
#include <csignal>
#endif

using kestrel::sim::SimOptions;
using kestrel::sim::SimThread;
using kestrel::test::FlashCamera;
using kestrel::test::FlashRun;
using kestrel::test::Loopback;
using kestrel::test::RunFlash;

namespace {

const QByteArrayList kStartOfRun{"CAM_PLAYSTOP", "CAM_FG_RECORDSTOP", "CAM_LIVESTOP",
                                 "CAM_SSD_PLAYSTOP", "CAM_FIRMWAREUPDATE 0"};

} // namespace

class FlashUpdateTest : public QObject {
    Q_OBJECT
private slots:
    void updatesOneCamera();
    void fiveAtOnceWithOneFailing();
    void runInProgressIsFollowedNotRestarted();
    void twoUpdatesInARow();
    void lostConnectionIsRetried();
    void jsonEventsOfARun();
    void reportGetsOneLinePerCamera();
    void unwritableReportTouchesNoCamera();
    void stoppedDuringARunSaysTheCameraGoesOn();
};

void FlashUpdateTest::updatesOneCamera() {
    SimThread sim(FlashCamera());
    QVERIFY(sim.Start());
    const QString p = Loopback(sim.Port()) + ": ";
    const FlashRun run = RunFlash({"update", Loopback(sim.Port())});
    QVERIFY(run.finished);
    QCOMPARE(run.exitCode, 0);
    const QStringList lines = run.OutLines();
    // The log lines and the changes of state, in order.
    const QStringList expected{
        p + QStringLiteral("Connected to camera n\u00B021040017 @ IP=127.0.0.1"),
        p + "serial 21040017, VX340, hardware firmware 1.2A.3F, software firmware vx_server "
            "3.8.2 build 1187",
        p + "starting",
        p + "!! DO NOT POWER OFF THE CAMERA !!",
        p + "Programming New firmware",
        p + "erasing",
        p + "=> Erasing flash memory: ok",
        p + "programming",
        p + "=> Programming flash memory: ok",
        p + "=> Programming finished",
        p + "Power cycle the camera to load new firmware",
    };
    QVERIFY2(lines.size() > expected.size(), run.out.constData());
    QCOMPARE(lines.mid(0, expected.size()), expected);
    QVERIFY(lines.at(expected.size()).startsWith(p + "ok ("));

    // Exactly one run was started, after the four stops, and the tool said
    // goodbye at the end.
    const QByteArrayList wire = sim.ReceivedLines();
    const qsizetype start = wire.indexOf("CAM_PLAYSTOP");
    QVERIFY(start > 0);
    QCOMPARE(wire.mid(start, kStartOfRun.size()), kStartOfRun);
    QCOMPARE(wire.count("CAM_FIRMWAREUPDATE 0"), 1);
    QCOMPARE(wire.last(), QByteArray("CLOSE"));
}

void FlashUpdateTest::fiveAtOnceWithOneFailing() {
    std::vector<std::unique_ptr<SimThread>> sims;
    QStringList arguments{"update"};
    for (int i = 0; i < 5; ++i) {
        SimOptions options = FlashCamera("2104001" + QByteArray::number(i));
        options.eraseMs = 1500; // long enough for the five runs to overlap
        if (i == 3)
            options.abortAtPercent = 40; // this camera gives its run up
        sims.push_back(std::make_unique<SimThread>(options));
        QVERIFY(sims.back()->Start());
        arguments.append(Loopback(sims.back()->Port()));
    }
    const FlashRun run = RunFlash(arguments);
    QVERIFY(run.finished);
    QCOMPARE(run.exitCode, 1);
    const QString out = QString::fromUtf8(run.out);
    for (int i = 0; i < 5; ++i) {
        const QString camera = QRegularExpression::escape(arguments.at(i + 1));
        const QString result = i == 3 ? "FAILED: camera stopped the run early" : "ok";
        QVERIFY2(out.contains(QRegularExpression("\n" + camera + " +2104001" + QString::number(i) +
                                                 " +" + result + " +\\d+:\\d\\d\n")),
                 qPrintable(out));
        QCOMPARE(sims.at(i)->ReceivedLines().count("CAM_FIRMWAREUPDATE 0"), 1);
    }
    QVERIFY(out.contains(arguments.at(4) + ": The camera ended the programming run before "
                                           "reporting its end."));
    QVERIFY(out.endsWith("1 of 5 failed.\n"));
    // The failed camera never got the power-cycle instruction.
    QVERIFY(!out.contains(arguments.at(4) + ": Power cycle the camera"));
    QCOMPARE(out.count(QStringLiteral(": Power cycle the camera to load new firmware")), 4);
    // The five were programming at the same time: every camera's run had
    // started before the first erase phase, 1.5 s long, was over.
    const QStringList lines = run.OutLines();
    qsizetype firstErased = -1;
    for (qsizetype i = 0; i < lines.size() && firstErased < 0; ++i) {
        if (lines.at(i).endsWith(": => Erasing flash memory: ok"))
            firstErased = i;
    }
    QVERIFY(firstErased > 0);
    for (int i = 0; i < 5; ++i) {
        const qsizetype started = lines.indexOf(arguments.at(i + 1) + ": starting");
        QVERIFY(started >= 0);
        QVERIFY2(started < firstErased, qPrintable(out));
    }
}

void FlashUpdateTest::twoUpdatesInARow() {
    // The second update comes while the camera still shows the final figures
    // of the first: it waits for the camera to be ready, then starts its own.
    SimOptions options = FlashCamera();
    options.lingerMs = 3000;
    SimThread sim(options);
    QVERIFY(sim.Start());
    for (int i = 1; i <= 2; ++i) {
        const FlashRun run = RunFlash({"update", Loopback(sim.Port())});
        QVERIFY(run.finished);
        QVERIFY2(run.exitCode == 0, run.out.constData());
        QVERIFY(run.out.contains(": Power cycle the camera to load new firmware\n"));
        QCOMPARE(sim.ReceivedLines().count("CAM_FIRMWAREUPDATE 0"), i);
    }
    // The second start went out only once the camera reported idle.
    const QByteArrayList wire = sim.ReceivedLines();
    const qsizetype secondStart = wire.lastIndexOf("CAM_PLAYSTOP");
    QCOMPARE(wire.mid(secondStart - 2, 2),
             (QByteArrayList{"CAM_FIRMWAREUPDATE 1", "CAM_FIRMWAREUPDATE 1"}));
}

void FlashUpdateTest::runInProgressIsFollowedNotRestarted() {
    SimOptions options = FlashCamera();
    options.runInProgress = true;
    SimThread sim(options);
    QVERIFY(sim.Start());
    const FlashRun run = RunFlash({"update", Loopback(sim.Port())});
    QVERIFY(run.finished);
    QCOMPARE(run.exitCode, 0);
    QVERIFY(run.out.contains(": Firmware is already being programmed\n"));
    const QByteArrayList wire = sim.ReceivedLines();
    QCOMPARE(wire.count("CAM_FIRMWAREUPDATE 0"), 0);
    QCOMPARE(wire.count("CAM_PLAYSTOP"), 0);
}

void FlashUpdateTest::lostConnectionIsRetried() {
    SimOptions options = FlashCamera();
    options.closeAfter = 20; // each connection ends after twenty answers
    SimThread sim(options);
    QVERIFY(sim.Start());
    const FlashRun run = RunFlash({"update", "--json", Loopback(sim.Port())});
    QVERIFY(run.finished);
    QCOMPARE(run.exitCode, 0);
    QStringList states;
    QStringList logs;
    for (const QJsonObject& event : run.JsonLines()) {
        if (event.value("event").toString() == QLatin1String("state"))
            states.append(event.value("state").toString());
        if (event.value("event").toString() == QLatin1String("log"))
            logs.append(event.value("text").toString());
    }
    QVERIFY2(states.contains("reconnecting"), qPrintable(states.join(',')));
    QVERIFY(logs.contains("Reconnected to the camera @ IP=127.0.0.1, following the programming"));
    QVERIFY(logs.contains("Power cycle the camera to load new firmware"));
    QVERIFY(sim.ConnectionsAccepted() >= 2);
    QCOMPARE(sim.ReceivedLines().count("CAM_FIRMWAREUPDATE 0"), 1);
}

void FlashUpdateTest::jsonEventsOfARun() {
    SimThread sim(FlashCamera());
    QVERIFY(sim.Start());
    const FlashRun run = RunFlash({"update", "--json", Loopback(sim.Port())});
    QVERIFY(run.finished);
    QCOMPARE(run.exitCode, 0);
    const QList<QJsonObject> events = run.JsonLines();
    QVERIFY2(!events.isEmpty(), run.out.constData());
    QStringList states;
    int lastDone = -1;
    QString figuresState;
    for (const QJsonObject& event : events) {
        const QString kind = event.value("event").toString();
        if (kind == QLatin1String("state"))
            states.append(event.value("state").toString());
        if (kind == QLatin1String("figures")) {
            const QString state = event.value("state").toString();
            const int done = event.value("done").toInt();
            if (state == figuresState)
                QVERIFY(done >= lastDone); // the figures never go back within a phase
            figuresState = state;
            lastDone = done;
            QVERIFY(event.value("total").toInt() > 0);
        }
    }
    QCOMPARE(states, (QStringList{"connecting", "starting", "erasing", "programming", "done"}));
    const QJsonObject result = events.at(events.size() - 2);
    QCOMPARE(result.value("event").toString(), QStringLiteral("result"));
    QCOMPARE(result.value("result").toString(), QStringLiteral("ok"));
    QCOMPARE(result.value("before").toObject().value("hardware").toString(),
             QStringLiteral("1.2A.3F"));
    // Read again after the run, as the camera gives it before its power cycle.
    QCOMPARE(result.value("after").toObject().value("serial").toString(),
             QStringLiteral("21040017"));
    QVERIFY(!result.value("after").toObject().value("hardware").toString().isEmpty());
    QCOMPARE(events.last().value("ok").toBool(), true);
}

void FlashUpdateTest::reportGetsOneLinePerCamera() {
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    const QString path = dir.filePath("record.tsv");
    SimOptions failing = FlashCamera("77000001");
    failing.abortAtPercent = 10;
    SimThread good(FlashCamera());
    SimThread bad(failing);
    QVERIFY(good.Start());
    QVERIFY(bad.Start());
    const FlashRun first =
        RunFlash({"update", "--report", path, Loopback(good.Port()), Loopback(bad.Port())});
    QVERIFY(first.finished);
    QCOMPARE(first.exitCode, 1);
    SimThread other(FlashCamera("21040099"));
    QVERIFY(other.Start());
    const FlashRun second = RunFlash({"update", "--report", path, Loopback(other.Port())});
    QVERIFY(second.finished);
    QCOMPARE(second.exitCode, 0);

    QFile file(path);
    QVERIFY(file.open(QIODevice::ReadOnly));
    const QStringList lines =
        QString::fromUtf8(file.readAll()).split(QLatin1Char('\n'), Qt::SkipEmptyParts);
    QCOMPARE(lines.size(), 3);
    const QStringList goodFields = lines.at(0).split(QLatin1Char('\t'));
    QCOMPARE(goodFields.size(), 11);
    QCOMPARE(goodFields.at(10), QStringLiteral("-")); // no conversation record
    QVERIFY(QDateTime::fromString(goodFields.at(0), Qt::ISODate).isValid());
    QCOMPARE(goodFields.mid(1, 5), (QStringList{Loopback(good.Port()), "21040017", "1.2A.3F",
                                                "vx_server 3.8.2 build 1187", goodFields.at(5)}));
    QCOMPARE(goodFields.at(6), QStringLiteral("vx_server 3.8.2 build 1187"));
    QCOMPARE(goodFields.at(7), QStringLiteral("ok"));
    bool isNumber = false;
    QVERIFY(goodFields.at(8).toDouble(&isNumber) > 0 && isNumber);
    const QStringList badFields = lines.at(1).split(QLatin1Char('\t'));
    QCOMPARE(badFields.at(1), Loopback(bad.Port()));
    QCOMPARE(badFields.at(2), QStringLiteral("77000001"));
    QCOMPARE(badFields.at(7), QStringLiteral("stopped-early"));
    QVERIFY(badFields.at(9).startsWith("The camera ended the programming run"));
    // The second command appended its line after the first two.
    const QStringList again = lines.at(2).split(QLatin1Char('\t'));
    QCOMPARE(again.at(1), Loopback(other.Port()));
    QCOMPARE(again.at(2), QStringLiteral("21040099"));
    QCOMPARE(again.at(7), QStringLiteral("ok"));
}

void FlashUpdateTest::unwritableReportTouchesNoCamera() {
    SimThread sim(FlashCamera());
    QVERIFY(sim.Start());
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    const QString path = dir.filePath("missing-folder/record.tsv");
    const FlashRun run = RunFlash({"update", "--report", path, Loopback(sim.Port())});
    QVERIFY(run.finished);
    QCOMPARE(run.exitCode, 1);
    QVERIFY(run.err.startsWith("kestrel-flash: cannot write the report file " + path.toUtf8()));
    QCOMPARE(sim.ConnectionsAccepted(), 0);
}

void FlashUpdateTest::stoppedDuringARunSaysTheCameraGoesOn() {
#ifdef Q_OS_WIN
    QSKIP("the program is stopped with SIGINT here; Windows has no such signal");
#else
    // Five cameras programming, a long erase each: Ctrl-C stops following
    // them all, and the program ends by itself, long before any erase would.
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    const QString report = dir.filePath("record.tsv");
    std::vector<std::unique_ptr<SimThread>> sims;
    QStringList arguments{"update", "--json", "--report", report};
    for (int i = 0; i < 5; ++i) {
        SimOptions options = FlashCamera("2104002" + QByteArray::number(i));
        options.eraseMs = 60000;
        sims.push_back(std::make_unique<SimThread>(options));
        QVERIFY(sims.back()->Start());
        arguments << Loopback(sims.back()->Port());
    }
    QProcess process;
    process.start(QStringLiteral(KESTREL_FLASH_PROGRAM), arguments);
    QVERIFY(process.waitForStarted(10000));
    QByteArray out;
    // The jobs that have reached the erase phase, from the events so far.
    const auto erasing = [&] {
        out += process.readAllStandardOutput();
        QSet<QString> jobs;
        for (const QByteArray& line : out.split('\n')) {
            const QJsonObject event = QJsonDocument::fromJson(line).object();
            if (event.value("event").toString() == QLatin1String("state") &&
                event.value("state").toString() == QLatin1String("erasing"))
                jobs.insert(event.value("job").toString());
        }
        return jobs.size();
    };
    QTRY_COMPARE_WITH_TIMEOUT(erasing(), 5, 20000);
    ::kill(static_cast<pid_t>(process.processId()), SIGINT);
    QVERIFY(process.waitForFinished(5000));
    QCOMPARE(process.exitStatus(), QProcess::NormalExit);
    QCOMPARE(process.exitCode(), 1);
    // Every thread was ended before the program: none was left to the system.
    QCOMPARE(process.readAllStandardError(), QByteArray());
    out += process.readAllStandardOutput();
    QVERIFY(kestrel::test::MatchesSchema(out));
    const QJsonObject summary = QJsonDocument::fromJson(out.trimmed().split('\n').last()).object();
    QCOMPARE(summary.value("event").toString(), QStringLiteral("summary"));
    const QJsonArray jobs = summary.value("jobs").toArray();
    QCOMPARE(jobs.size(), 5);
    for (int i = 0; i < 5; ++i) {
        const QJsonObject job = jobs.at(i).toObject();
        QCOMPARE(job.value("result").toString(), QStringLiteral("interrupted"));
        QCOMPARE(job.value("serial").toString(), "2104002" + QString::number(i));
        QVERIFY(job.value("detail").toString().contains(
            "the camera goes on programming its flash memory. Do NOT power it off; follow it to "
            "its end with: kestrel-flash watch " +
            arguments.at(4 + i)));
        // The camera was not told to stop, and heard no goodbye either.
        QVERIFY(!sims.at(static_cast<std::size_t>(i))->ReceivedLines().contains("CLOSE"));
    }
    QVERIFY(!out.contains("Power cycle"));
    QFile record(report);
    QVERIFY(record.open(QIODevice::ReadOnly));
    const QByteArrayList lines = record.readAll().trimmed().split('\n');
    QCOMPARE(lines.size(), 5);
    for (const QByteArray& line : lines)
        QVERIFY2(line.contains("\tinterrupted\t"), line.constData());
#endif
}

QTEST_MAIN(FlashUpdateTest)
#include "flash_update_test.moc"
