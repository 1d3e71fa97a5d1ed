// The writer on its own thread: events written in the order given, a failure
// told once and later, with what was there left alone and the events kept for
// the next try, and nothing queued lost when the writer goes away.

#include "history_stamp.h"
#include "history_writer.h"
#include "process_identity.h"

#include <QSignalSpy>
#include <QSqlDatabase>
#include <QSqlQuery>
#include <QTemporaryDir>
#include <QTest>

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
    void failureToldOnce_data();
    void failureToldOnce();

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
            QVERIFY(writer.Finish());
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

void HistoryWriterTest::failureToldOnce_data() {
    QTest::addColumn<bool>("locked"); // for a while; else the file is no database
    QTest::addColumn<QString>("reason");
    QTest::newRow("not a database")
        << false << "could not be opened: the file is not an SQLite database";
    QTest::newRow("locked a while")
        << true << "was not written: another program kept it locked for more than 0.2 s";
}

void HistoryWriterTest::failureToldOnce() {
    QFETCH(bool, locked);
    QFETCH(QString, reason);
    const QString path = m_dir.filePath(QString::fromLatin1(QTest::currentDataTag()));
    QFile file(path);
    QSqlDatabase other = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), QStringLiteral("o"));
    other.setDatabaseName(path);
    if (locked) // made, then held by another program
        QVERIFY(Read(path).empty() && other.open() &&
                QSqlQuery(other).exec(QStringLiteral("BEGIN IMMEDIATE")));
    else
        QVERIFY(file.open(QIODevice::WriteOnly) && file.write(QByteArray(4096, 'x')) == 4096);
    file.close();
    {
        HistoryWriter writer(path, {200, false});
        QSignalSpy failed(&writer, &HistoryWriter::failed);
        writer.Write(Begin(1));
        QVERIFY(failed.wait()); // told later, while this thread's loop runs
        const QString sentence = QStringLiteral("The history %1 %2.").arg(path, reason);
        QCOMPARE(failed.first().at(0).toString(), sentence);
        QSqlQuery(other).exec(QStringLiteral("ROLLBACK"));
        writer.Write(Begin(2));
        QString failure;
        // The event kept is tried again with the next one.
        QCOMPARE(writer.Finish(&failure), locked);
        QCOMPARE(failure, locked ? QString() : sentence);
        QCOMPARE(failed.size(), 1);
    }
    other.close();
    other = QSqlDatabase();
    QSqlDatabase::removeDatabase(QStringLiteral("o"));
    if (locked)
        QCOMPARE(Read(path).size(), std::size_t(2));
    else
        QVERIFY(file.open(QIODevice::ReadOnly) && file.readAll() == QByteArray(4096, 'x'));
}

QTEST_GUILESS_MAIN(HistoryWriterTest)
#include "history_writer_test.moc"
