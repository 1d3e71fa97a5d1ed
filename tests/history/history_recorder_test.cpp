// The recorder both faces write the history through: each operation's begin
// and end, a history that cannot be written told once and left as it was, and
// two recorders writing one history at once losing nothing.

#include "history_read.h"
#include "history_recorder.h"
#include "history_store.h"

#include <QFile>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>

#ifdef Q_OS_LINUX
#include <unistd.h>
#endif

using namespace kestrel;

class HistoryRecorderTest : public QObject {
    Q_OBJECT
private slots:
    void operationsWritten_data();
    void operationsWritten();
    void failureToldOnce_data();
    void failureToldOnce();
    void twoRecordersAtOnce();

private:
    QTemporaryDir m_dir;
};

void HistoryRecorderTest::operationsWritten_data() {
    QTest::addColumn<QString>("action");
    QTest::addColumn<QString>("result");
    QTest::addColumn<bool>("changed");
    QTest::addColumn<QString>("serialLearned"); // at the end; empty: known at the begin
    QTest::addColumn<qint64>("elapsedGiven");   // -1: measured
    QTest::newRow("update ok") << "update" << "ok" << true << "" << qint64(-1);
    QTest::newRow("watch, serial read after") << "watch" << "stalled" << false << "K9" << qint64(-1);
    QTest::newRow("stage, length given") << "stage" << "copy-failed" << true << "" << qint64(4200);
}

void HistoryRecorderTest::operationsWritten() {
    QFETCH(QString, action);
    QFETCH(QString, result);
    QFETCH(bool, changed);
    QFETCH(QString, serialLearned);
    QFETCH(qint64, elapsedGiven);
    const QString path = m_dir.filePath(QStringLiteral("%1.sqlite").arg(QTest::currentDataTag()));
    const std::string act = action.toStdString();
    {
        HistoryRecorder recorder(history::kTerminal, path);
        QCOMPARE(recorder.Path(), path);
        HistoryCamera camera{"10.0.0.5", serialLearned.isEmpty() ? "K7" : "", "VX-4", "1.2.3",
                             "24", "1.2.4"};
        const std::string id = recorder.Begin(
            {.action = act, .camera = camera, .stickFiles = {{"firm.rbf", ""}}});
        QCOMPARE(recorder.Open(), std::size_t(1));
        HistoryFinish finish{result.toStdString(), changed};
        finish.camera.serial = serialLearned.toStdString();
        finish.stickFiles = {{"firm.rbf", std::string(64, 'a')}};
        if (elapsedGiven >= 0)
            finish.elapsedMs = elapsedGiven;
        recorder.End(id, finish);
        recorder.End(id, {"ok"}); // no longer open: nothing
        QCOMPARE(recorder.Open(), std::size_t(0));
        QVERIFY(recorder.Finish());
    }
    const HistoryReading reading = ReadHistory(path, {});
    QVERIFY2(reading.failure.isEmpty(), qPrintable(reading.failure));
    QCOMPARE(reading.operations.size(), std::size_t(1));
    const Operation& op = reading.operations.front();
    QVERIFY(op.end);
    QCOMPARE(op.begin.face, std::string("terminal"));
    QCOMPARE(op.begin.action, act);
    QCOMPARE(op.Result(), result.toStdString());
    QCOMPARE(op.end->changed, changed);
    // The end keeps what the begin knew and adds what was learned since.
    QCOMPARE(op.end->serial, serialLearned.isEmpty() ? std::string("K7") : serialLearned.toStdString());
    QCOMPARE(op.end->hardwareBefore, std::string("1.2.3"));
    QCOMPARE(op.end->target, std::string("1.2.4"));
    QCOMPARE(op.end->stickFiles.front().sha256, std::string(64, 'a'));
    if (elapsedGiven >= 0)
        QCOMPARE(op.end->elapsedMs, elapsedGiven);
    else
        QVERIFY(op.end->elapsedMs >= 0 && op.end->elapsedMs <= op.end->timeMs - op.begin.timeMs + 1);
}

void HistoryRecorderTest::failureToldOnce_data() {
    QTest::addColumn<bool>("readOnly"); // else the file is no database
    QTest::addColumn<QString>("reason");
    QTest::newRow("read-only") << true << "could not be opened: the file is read-only for this user.";
    QTest::newRow("not a database") << false << "the file is not an SQLite database.";
}

void HistoryRecorderTest::failureToldOnce() {
    QFETCH(bool, readOnly);
    QFETCH(QString, reason);
#ifndef Q_OS_LINUX
    if (readOnly)
        QSKIP("the permissions are set the POSIX way");
#else
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("h.sqlite"));
    if (readOnly) {
        HistoryRecorder first(history::kWindow, path);
        first.End(first.Begin({history::kUpdate}), {"ok", true});
    } else {
        QFile file(path);
        QVERIFY(file.open(QIODevice::WriteOnly) && file.write(QByteArray(4096, 'x')) == 4096);
    }
    QFile original(path);
    QVERIFY(original.open(QIODevice::ReadOnly));
    const QByteArray before = original.readAll();
    const auto ro = QFileDevice::ReadOwner | QFileDevice::ExeOwner | QFileDevice::ReadGroup |
                    QFileDevice::ExeGroup | QFileDevice::ReadOther | QFileDevice::ExeOther;
    // Root, whom permissions do not stop, looks on as another user.
    const bool asOther = readOnly && geteuid() == 0;
    if (readOnly) {
        QFile::setPermissions(path, ro);
        QFile::setPermissions(dir.path(), ro);
    }
    QVERIFY(!asOther || setresuid(65534, 65534, 0) == 0);
    QString told;
    {
        HistoryRecorder recorder(history::kWindow, path);
        QSignalSpy failed(&recorder, &HistoryRecorder::failed);
        for (int i = 0; i < 3; ++i) {
            const std::string id = recorder.Begin({history::kUpdate});
            QVERIFY(!id.empty()); // the work goes on with its operation
            if (failed.isEmpty())
                QVERIFY(failed.wait(10000));
            recorder.End(id, {"ok", true});
        }
        QString failure;
        QVERIFY(!recorder.Finish(&failure));
        QCOMPARE(failed.size(), 1);
        told = failed.first().first().toString();
        QCOMPARE(failure, told);
    }
    QVERIFY(!asOther || setresuid(0, 0, 0) == 0);
    QFile::setPermissions(dir.path(), ro | QFileDevice::WriteOwner);
    QVERIFY2(told.startsWith(QStringLiteral("The history %1 ").arg(path)) && told.endsWith(reason),
             qPrintable(told));
    QFile after(path);
    QVERIFY(after.open(QIODevice::ReadOnly));
    QCOMPARE(after.readAll(), before); // what was there is left
#endif
}

void HistoryRecorderTest::twoRecordersAtOnce() {
    // The window and the terminal, each with its recorder, on one history.
    const QString path = m_dir.filePath(QStringLiteral("shared.sqlite"));
    constexpr int kEach = 150;
    {
        HistoryRecorder window(history::kWindow, path);
        HistoryRecorder terminal(history::kTerminal, path);
        for (int i = 0; i < kEach; ++i) {
            for (HistoryRecorder* recorder : {&window, &terminal})
                recorder->End(recorder->Begin({history::kUpdate, {.serial = std::to_string(i)}}),
                              {"ok", true});
        }
        QVERIFY(window.Finish() && terminal.Finish());
    }
    const HistoryReading reading = ReadHistory(path, {});
    QCOMPARE(reading.operations.size(), std::size_t(2 * kEach));
    int window = 0;
    for (const Operation& op : reading.operations) {
        QVERIFY(op.end && op.Result() == "ok");
        window += op.begin.face == "window";
    }
    QCOMPARE(window, kEach);
    HistoryStore store;
    HistoryStore::Verdict verdict;
    QVERIFY(store.Open(path, nullptr) && store.Verify(&verdict, nullptr));
    QVERIFY(!verdict.broken);
    QCOMPARE(verdict.checked, 4 * kEach);
}

QTEST_GUILESS_MAIN(HistoryRecorderTest)
#include "history_recorder_test.moc"
