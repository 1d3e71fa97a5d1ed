// The writer on its own thread: events written in the order given, a failure
// told once with what was there left alone, and nothing queued lost when the
// writer goes away.

#include "history_stamp.h"
#include "history_writer.h"
#include "process_identity.h"

#include <QSignalSpy>
#include <QSqlDatabase>
#include <QSqlQuery>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

using namespace kestrel;

namespace {

HistoryEvent Begin(int n) {
    HistoryEvent event = BeginEvent(history::kWindow, history::kUpdate);
    event.serial = "S" + std::to_string(n);
    return event;
}

std::vector<Operation> Read(const QString& path) {
    HistoryStore store;
    std::vector<Operation> ops;
    QString error;
    if (!store.Open(path, &error) || !store.ReadOperations({}, LocalProcessGone(), &ops, &error))
        qWarning() << error;
    return ops;
}

} // namespace

class HistoryWriterTest : public QObject {
    Q_OBJECT
private slots:
    void writesInOrder_data();
    void writesInOrder();
    void failureToldOnce();
    void callerServedWhileLocked();

private:
    QTemporaryDir m_dir;
};

void HistoryWriterTest::writesInOrder_data() {
    QTest::addColumn<bool>("waitForWrites");
    QTest::newRow("finished") << true;
    QTest::newRow("destroyed at once") << false;
}

void HistoryWriterTest::writesInOrder() {
    QFETCH(bool, waitForWrites);
    const QString path = m_dir.filePath(QStringLiteral("%1.sqlite").arg(waitForWrites));
    {
        HistoryWriter writer(path);
        QSignalSpy written(&writer, &HistoryWriter::written);
        QSignalSpy failed(&writer, &HistoryWriter::failed);
        for (int i = 0; i < 200; ++i)
            writer.Write(Begin(i));
        if (waitForWrites) {
            QTRY_VERIFY(!written.isEmpty() && written.last().at(0).toLongLong() == 200);
            QString failure = QStringLiteral("not told");
            QVERIFY(writer.Finish(&failure));
            QCOMPARE(failure, QString());
        }
        QVERIFY(failed.isEmpty());
    }
    const std::vector<Operation> ops = Read(path);
    QCOMPARE(ops.size(), std::size_t(200));
    for (std::size_t i = 0; i < ops.size(); ++i) { // newest first
        QCOMPARE(ops[i].begin.serial, "S" + std::to_string(199 - i));
        QCOMPARE(ops[i].begin.id, qint64(200 - i));
        QCOMPARE(ops[i].state, Operation::State::Running); // this process is at work
    }
}

void HistoryWriterTest::failureToldOnce() {
    const QString path = m_dir.filePath(QStringLiteral("text"));
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly) && file.write(QByteArray(4096, 'x')) == 4096);
    file.close();
    HistoryWriter writer(path);
    QSignalSpy failed(&writer, &HistoryWriter::failed);
    const QString sentence =
        QStringLiteral("The history %1 could not be opened: the file is not an SQLite database.")
            .arg(path);
    writer.Write(Begin(1));
    QVERIFY(failed.wait());
    writer.Write(Begin(2));
    QString failure;
    QVERIFY(!writer.Finish(&failure)); // tried once more, in vain
    QCOMPARE(failure, sentence);
    QCOMPARE(failed.size(), 1);
    QCOMPARE(failed.first().at(0).toString(), sentence);
    QVERIFY(file.open(QIODevice::ReadOnly));
    QCOMPARE(file.readAll(), QByteArray(4096, 'x'));
}

void HistoryWriterTest::callerServedWhileLocked() {
    const QString path = m_dir.filePath(QStringLiteral("locked.sqlite"));
    QVERIFY(Read(path).empty()); // made
    QSqlDatabase other = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), QStringLiteral("o"));
    other.setDatabaseName(path);
    QVERIFY(other.open() && QSqlQuery(other).exec(QStringLiteral("BEGIN IMMEDIATE")));
    {
        HistoryWriter writer(path);
        QSignalSpy written(&writer, &HistoryWriter::written);
        writer.Write(Begin(1));
        // Only this thread's event loop lets the other program go: a writer
        // waiting for it here would wait in vain.
        QTimer::singleShot(0, [&] { QSqlQuery(other).exec(QStringLiteral("ROLLBACK")); });
        QVERIFY(written.wait(30'000));
    }
    other.close();
    other = QSqlDatabase();
    QSqlDatabase::removeDatabase(QStringLiteral("o"));
    QCOMPARE(Read(path).size(), std::size_t(1));
}

QTEST_GUILESS_MAIN(HistoryWriterTest)
#include "history_writer_test.moc"
