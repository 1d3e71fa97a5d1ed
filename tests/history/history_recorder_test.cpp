// The recorder both faces write through: begins and ends, a read-only history
// told once and left as it was, two recorders at once losing nothing.

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
    void readOnlyToldOnce();
    void twoRecordersAtOnce();

private:
    QTemporaryDir m_dir;
};

void HistoryRecorderTest::operationsWritten_data() {
    QTest::addColumn<QString>("action");
    QTest::addColumn<bool>("serialLearned"); // at the end; else known at the begin
    QTest::addColumn<QString>("result");
    QTest::newRow("update ok") << "update" << false << "ok";
    QTest::newRow("watch, serial read after") << "watch" << true << "stalled";
    QTest::newRow("stage failed") << "stage" << false << "copy-failed";
}

void HistoryRecorderTest::operationsWritten() {
    QFETCH(QString, action);
    QFETCH(bool, serialLearned);
    QFETCH(QString, result);
    const QString path = m_dir.filePath(QStringLiteral("%1.sqlite").arg(QTest::currentDataTag()));
    {
        HistoryRecorder recorder(history::kTerminal, path);
        HistoryCamera camera{"10.0.0.5", serialLearned ? "" : "K7", "VX-4", "1.2.3"};
        const std::string id =
            recorder.Begin({action.toStdString(), camera, {}, {{"firm.rbf", ""}}});
        HistoryFinish finish{result.toStdString(), true};
        finish.camera.serial = serialLearned ? "K7" : "";
        finish.stickFiles = {{"firm.rbf", std::string(64, 'a')}};
        recorder.End(id, finish);
        recorder.End(id, {"ok"}); // no longer open: nothing
        QCOMPARE(recorder.Open(), std::size_t(0));
        QVERIFY(recorder.Finish());
    }
    const std::vector<Operation> ops = ReadHistory(path, {}).operations;
    QCOMPARE(ops.size(), std::size_t(1));
    const HistoryEvent& end = ops[0].end.value();
    // The end keeps what the begin knew and adds what was learned since.
    QCOMPARE(QString::fromStdString(ops[0].begin.face + " " + ops[0].begin.action + " " +
                                    end.result + " " + end.serial + " " + end.hardwareBefore),
             "terminal " + action + " " + result + " K7 1.2.3");
    QVERIFY(end.changed && end.stickFiles[0].sha256 == std::string(64, 'a'));
    QVERIFY(end.elapsedMs >= 0 && end.elapsedMs <= end.timeMs - ops[0].begin.timeMs + 1);
}

void HistoryRecorderTest::readOnlyToldOnce() {
#ifndef Q_OS_LINUX
    QSKIP("the permissions are set the POSIX way");
#else
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("h.sqlite"));
    {
        HistoryRecorder first(history::kWindow, path);
        first.End(first.Begin({history::kUpdate}), {"ok", true});
    }
    const auto ro = QFileDevice::ReadOwner | QFileDevice::ExeOwner | QFileDevice::ReadGroup |
                    QFileDevice::ExeGroup | QFileDevice::ReadOther | QFileDevice::ExeOther;
    QFile::setPermissions(path, ro);
    QFile::setPermissions(dir.path(), ro);
    // Root, whom permissions do not stop, looks on as another user.
    const bool root = geteuid() == 0;
    QVERIFY(!root || setresuid(65534, 65534, 0) == 0);
    QStringList told;
    QString failure;
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
        QVERIFY(!recorder.Finish(&failure));
        for (const QList<QVariant>& signal : failed)
            told << signal.first().toString();
    }
    QVERIFY(!root || setresuid(0, 0, 0) == 0);
    QFile::setPermissions(dir.path(), ro | QFileDevice::WriteOwner);
    QCOMPARE(told, QStringList{failure});
    QCOMPARE(failure, QStringLiteral("The history %1 could not be opened: the file is read-only "
                                     "for this user.")
                          .arg(path));
    QCOMPARE(ReadHistory(path, {}).operations.size(), std::size_t(1)); // what was there is left
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
    const std::vector<Operation> ops = ReadHistory(path, {}).operations;
    QCOMPARE(ops.size(), std::size_t(2 * kEach));
    QVERIFY(std::all_of(ops.begin(), ops.end(), [](const Operation& op) { return op.end; }));
    HistoryStore store;
    HistoryStore::Verdict verdict;
    QVERIFY(store.Open(path, nullptr) && store.Verify(&verdict, nullptr) && !verdict.broken);
    QCOMPARE(verdict.checked, 4 * kEach);
}

QTEST_GUILESS_MAIN(HistoryRecorderTest)
#include "history_recorder_test.moc"
