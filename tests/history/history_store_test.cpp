// The history's file: made from nothing, written and read back exactly,
// narrowed as the rules narrow, shared by processes, failing with a sentence
// that names the file and the reason, and showing every kind of tampering.

#include "history_path.h"
#include "history_stamp.h"
#include "history_store.h"
#include "process_identity.h"

#include <QProcess>
#include <QSqlDatabase>
#include <QSqlQuery>
#include <QTemporaryDir>
#include <QTest>

#ifdef Q_OS_LINUX
#include <unistd.h>
#endif

using namespace kestrel;

namespace {

// SQL on the file behind the store's back, as another program would run it.
QVariant Sql(const QString& path, const QStringList& statements) {
    QVariant first;
    {
        QSqlDatabase db =
            QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), QStringLiteral("raw"));
        db.setDatabaseName(path);
        db.open();
        for (const QString& sql : statements) {
            QSqlQuery q(db);
            if (!q.exec(sql))
                qWarning() << sql << q.lastError().text();
            first = q.next() ? q.value(0) : QVariant();
        }
        db.close();
    }
    QSqlDatabase::removeDatabase(QStringLiteral("raw"));
    return first;
}

std::vector<HistoryEvent> Events(int operations) {
    std::vector<HistoryEvent> events;
    for (int i = 0; i < operations; ++i) {
        HistoryEvent begin =
            BeginEvent(history::kWindow, i % 3 ? history::kUpdate : history::kStage);
        begin.timeMs = 1'000'000 + i * 1000;
        begin.operation = "op" + std::to_string(i);
        begin.serial = "S" + std::to_string(i % 4);
        begin.stickFiles = {{"firm.rbf", "ab"}, {"vx_server", "cd"}};
        begin.model = "\xff\xfe not UTF-8"; // bytes a camera may send
        events.push_back(begin);
        if (i % 5 != 4) { // every fifth never ends
            HistoryEvent end = EndEvent(begin);
            end.timeMs = begin.timeMs + 500;
            end.result = i % 2 ? "ok" : "stalled";
            events.push_back(end);
        }
    }
    return events;
}

QString Verify(HistoryStore& store) {
    HistoryStore::Verdict verdict;
    QString error;
    if (!store.Verify(&verdict, &error))
        return error;
    return verdict.broken ? QString::fromStdString(DescribeBreak(*verdict.broken))
                          : QStringLiteral("%1 checked").arg(verdict.checked);
}

} // namespace

class HistoryStoreTest : public QObject {
    Q_OBJECT
private slots:
    void path_data();
    void path();
    void openFails_data();
    void openFails();
    void readsAsTheRulesFold_data();
    void readsAsTheRulesFold();
    void readOnlyKeepsWhatWasThere();
    void processesAtOnce();
    void tampering_data();
    void tampering();
    void killedWriter();

private:
    QTemporaryDir m_dir;
};

void HistoryStoreTest::path_data() {
    QTest::addColumn<QString>("given"); // --history
    QTest::addColumn<QString>("environment");
    QTest::addColumn<QString>("path"); // empty: the default
    const QString none, e = "/e/h", g = "/g/h";
    QTest::newRow("default") << none << none << none;
    QTest::newRow("environment") << none << e << e;
    QTest::newRow("given wins") << g << e << g;
}

void HistoryStoreTest::path() {
    QFETCH(QString, given);
    QFETCH(QString, environment);
    QFETCH(QString, path);
    qputenv("KESTREL_FLASH_HISTORY", environment.toUtf8());
    QCOMPARE(IsDefaultHistoryPath(given), path.isEmpty());
    // The default is the same for both faces, whatever their programs' names.
    const QString found = HistoryPath(given);
    QVERIFY2(path.isEmpty() ? found.endsWith(QLatin1String("/Kestrel_FlashTool/history.sqlite"))
                            : found == path,
             qPrintable(found));
    qunsetenv("KESTREL_FLASH_HISTORY");
}

void HistoryStoreTest::openFails_data() {
    QTest::addColumn<QString>("name");
    QTest::addColumn<QByteArray>("content");
    QTest::addColumn<QStringList>("sql");
    QTest::addColumn<QString>("reason");
    QTest::newRow("missing folder")
        << "none/h.sqlite" << QByteArray() << QStringList() << "its folder %1/none does not exist";
    QTest::newRow("not a database")
        << "text" << QByteArray(4096, 'x') << QStringList() << "the file is not an SQLite database";
    QTest::newRow("another program's")
        << "other" << QByteArray() << QStringList{"CREATE TABLE t (a)"}
        << "it is an SQLite database of another program";
    QTest::newRow("newer layout") << "newer" << QByteArray()
                                  << QStringList{"PRAGMA user_version = 7"}
                                  << "it was written by a newer version of Kestrel_FlashTool "
                                     "(layout 7; this version knows up to 1)";
}

void HistoryStoreTest::openFails() {
    QFETCH(QString, name);
    QFETCH(QByteArray, content);
    QFETCH(QStringList, sql);
    QFETCH(QString, reason);
    const QString path = m_dir.filePath(name);
    if (!content.isEmpty()) {
        QFile file(path);
        QVERIFY(file.open(QIODevice::WriteOnly) && file.write(content) == content.size());
    }
    if (!sql.isEmpty())
        Sql(path, sql);
    QFile before(path);
    const QByteArray bytes = before.open(QIODevice::ReadOnly) ? before.readAll() : QByteArray();
    HistoryStore store;
    QString error;
    QVERIFY(!store.Open(path, &error));
    QCOMPARE(error, QStringLiteral("The history %1 could not be opened: %2.")
                        .arg(QDir::toNativeSeparators(path), reason.replace("%1", m_dir.path())));
    QFile after(path);
    QCOMPARE(after.open(QIODevice::ReadOnly) ? after.readAll() : QByteArray(), bytes);
}

void HistoryStoreTest::readsAsTheRulesFold_data() {
    QTest::addColumn<QString>("serial");
    QTest::addColumn<qint64>("since");
    QTest::addColumn<qint64>("until");
    QTest::addColumn<QString>("result");
    QTest::addColumn<int>("last");
    QTest::newRow("all") << "" << qint64(-1) << qint64(-1) << "" << 0;
    QTest::newRow("serial") << "S1" << qint64(-1) << qint64(-1) << "" << 0;
    QTest::newRow("since, mid-operation") << "" << qint64(1'020'200) << qint64(-1) << "" << 0;
    QTest::newRow("until, before the end") << "" << qint64(-1) << qint64(1'020'000) << "" << 0;
    QTest::newRow("serial, result, last") << "S2" << qint64(-1) << qint64(-1) << "stalled" << 2;
}

void HistoryStoreTest::readsAsTheRulesFold() {
    QFETCH(QString, serial);
    QFETCH(qint64, since);
    QFETCH(qint64, until);
    QFETCH(QString, result);
    QFETCH(int, last);
    const QString path = m_dir.filePath(QStringLiteral("read.sqlite"));
    HistoryStore store;
    QString error;
    QVERIFY2(store.Open(path, &error), qPrintable(error));
    std::vector<HistoryEvent> events = Events(40);
    if (!QFile::exists(path + QStringLiteral("-written")))
        QVERIFY2(store.Append(events, &error), qPrintable(error));
    QFile(path + QStringLiteral("-written")).open(QIODevice::WriteOnly);
    for (std::size_t i = 0; i < events.size(); ++i) // the ids given when written
        events[i].id = std::int64_t(i) + 1;
    OperationFilter filter{serial.toStdString(), {}, {}, result.toStdString(), last};
    if (since >= 0)
        filter.sinceMs = since;
    if (until >= 0)
        filter.untilMs = until;
    // This process is at work: its operations without an end are taken for
    // interrupted only by the rule given.
    const ProcessGone gone = [](const HistoryEvent& e) { return e.serial == "S0"; };
    OperationFold expected(filter, gone);
    for (auto e = events.rbegin(); e != events.rend() && expected.Take(*e); ++e) {
    }
    std::vector<Operation> found;
    QVERIFY2(store.ReadOperations(filter, gone, &found, &error), qPrintable(error));
    QVERIFY(!found.empty());
    QCOMPARE(found.size(), expected.Operations().size());
    for (std::size_t i = 0; i < found.size(); ++i) {
        QVERIFY(found[i].begin == expected.Operations()[i].begin);
        QVERIFY(found[i].end == expected.Operations()[i].end);
        QCOMPARE(found[i].state, expected.Operations()[i].state);
    }
}

void HistoryStoreTest::readOnlyKeepsWhatWasThere() {
#ifdef Q_OS_LINUX
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("ro.sqlite"));
    {
        HistoryStore store;
        std::vector<HistoryEvent> events = Events(3);
        QVERIFY(store.Open(path, nullptr) && store.Append(events, nullptr));
    }
    // The folder and the file may only be read; root, whom permissions do not
    // stop, looks on as another user while the store is at work.
    const auto readOnly = QFileDevice::ReadOwner | QFileDevice::ExeOwner | QFileDevice::ReadGroup |
                          QFileDevice::ExeGroup | QFileDevice::ReadOther | QFileDevice::ExeOther;
    QFile::setPermissions(path, readOnly);
    QFile::setPermissions(dir.path(), readOnly);
    const bool root = geteuid() == 0;
    QVERIFY(!root || setresuid(65534, 65534, 0) == 0);
    QString error;
    {
        HistoryStore store;
        QVERIFY(!store.Open(path, &error));
    }
    QVERIFY(!root || setresuid(0, 0, 0) == 0);
    QFile::setPermissions(dir.path(), readOnly | QFileDevice::WriteOwner);
    QCOMPARE(error, QStringLiteral("The history %1 could not be opened: the file is read-only for "
                                   "this user.")
                        .arg(path));
    HistoryStore store;
    std::vector<Operation> ops;
    QVERIFY(store.Open(path, &error) && store.ReadOperations({}, LocalProcessGone(), &ops, &error));
    QCOMPARE(ops.size(), std::size_t(3));
#else
    QSKIP("the user is changed the Linux way");
#endif
}

// Three processes make the history of an empty file at once, then append.
void HistoryStoreTest::processesAtOnce() {
    const QString path = m_dir.filePath(QStringLiteral("shared.sqlite"));
    QVERIFY(QFile(path).open(QIODevice::WriteOnly));
    std::vector<std::unique_ptr<QProcess>> helpers;
    for (int i = 0; i < 3; ++i) {
        helpers.push_back(std::make_unique<QProcess>());
        helpers.back()->start(QStringLiteral(KESTREL_HISTORY_HELPER),
                              {path, QStringLiteral("pairs"), QStringLiteral("150")});
    }
    for (auto& helper : helpers) {
        QVERIFY(helper->waitForFinished(60'000));
        QVERIFY2(helper->exitCode() == 0, helper->readAllStandardError().constData());
    }
    HistoryStore store;
    std::vector<Operation> ops;
    QVERIFY(store.Open(path, nullptr) &&
            store.ReadOperations({}, LocalProcessGone(), &ops, nullptr));
    QCOMPARE(ops.size(), std::size_t(450));
    QCOMPARE(Verify(store), QStringLiteral("900 checked"));
    QCOMPARE(Sql(path, {"PRAGMA user_version"}).toInt(), 1);
    QCOMPARE(Sql(path, {"PRAGMA journal_mode"}).toString(), QStringLiteral("wal"));
}

void HistoryStoreTest::tampering_data() {
    QTest::addColumn<QStringList>("sql");
    QTest::addColumn<QString>("verdict");
    const QStringList open{"DROP TRIGGER events_no_update", "DROP TRIGGER events_no_delete"};
    QTest::newRow("field changed")
        << open + QStringList{"UPDATE events SET result = 'forged' WHERE id = 4"}
        << "event 4 was changed after it was written";
    QTest::newRow("row removed") << open + QStringList{"DELETE FROM events WHERE id = 3"}
                                 << "event 3 is missing: removed before event 4";
    QTest::newRow("newest removed") << open + QStringList{"DELETE FROM events WHERE id > 5"}
                                    << "events 6 to 8 are missing: removed after event 5";
    QTest::newRow("ids swapped") << open + QStringList{"UPDATE events SET id = 100 WHERE id = 2",
                                                       "UPDATE events SET id = 2 WHERE id = 3",
                                                       "UPDATE events SET id = 3 WHERE id = 100"}
                                 << "event 2 does not follow event 1 in the chain: they were "
                                    "reordered, or event 1 was replaced";
    QTest::newRow("refused without dropping the guards")
        << QStringList{"DELETE FROM events WHERE id = 3"} << "8 checked";
}

void HistoryStoreTest::tampering() {
    QFETCH(QStringList, sql);
    QFETCH(QString, verdict);
    const QString path =
        m_dir.filePath(QStringLiteral("tamper-%1.sqlite").arg(QTest::currentDataTag()));
    {
        HistoryStore store;
        std::vector<HistoryEvent> events = Events(4);
        QVERIFY(store.Open(path, nullptr) && store.Append(events, nullptr));
    }
    Sql(path, sql);
    HistoryStore store;
    QVERIFY(store.Open(path, nullptr));
    QCOMPARE(Verify(store), verdict);
}

void HistoryStoreTest::killedWriter() {
    const QString path = m_dir.filePath(QStringLiteral("killed.sqlite"));
    QProcess helper;
    helper.start(QStringLiteral(KESTREL_HISTORY_HELPER),
                 {path, QStringLiteral("begin"), QStringLiteral("20")});
    QTRY_VERIFY_WITH_TIMEOUT(helper.canReadLine() || helper.waitForReadyRead(100), 30'000);
    QCOMPARE(helper.readLine(), QByteArray("begun\n"));
    helper.kill(); // SIGKILL, in the middle of its writing
    QVERIFY(helper.waitForFinished());

    HistoryStore store;
    QString error;
    QStringList problems{"not checked"};
    QVERIFY2(store.Open(path, &error) && store.CheckIntegrity(&problems, &error),
             qPrintable(error));
    QCOMPARE(problems, QStringList());
    QVERIFY(Verify(store).endsWith(QLatin1String(" checked")));
    std::vector<Operation> ops;
    QVERIFY(store.ReadOperations({}, LocalProcessGone(), &ops, &error));
    QVERIFY(ops.size() >= 20);
    for (const Operation& op : ops)
        QCOMPARE(op.Result(), std::string("interrupted"));
}

QTEST_GUILESS_MAIN(HistoryStoreTest)
#include "history_store_test.moc"
