// kestrel-flash writing the history: kept, then read-only; killed during twenty runs.

#include "flash_process.h"
#include "history_store.h"
#include "sim_thread.h"

#include <QJsonArray>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>

#include <csignal>
#include <unistd.h>

using namespace kestrel::test;

class FlashHistoryTest : public QObject {
    Q_OBJECT
    // kestrel-flash update of count simulated cameras, into the history.
    QStringList Update(const QString& path, int count, kestrel::sim::SimOptions options) {
        options.cameras = count;
        m_sim = std::make_unique<kestrel::sim::SimThread>(options);
        QStringList update{"update", "--json", "--history", path};
        for (int i = 0, started = m_sim->Start(); started && i < count; ++i)
            update << Loopback(static_cast<quint16>(m_sim->Port() + i));
        return update;
    }
    // "action result [changed] [file:sha256...]" of each operation, newest first.
    static QStringList Operations(const QString& path) {
        QStringList ops;
        for (const QJsonObject& op :
             RunFlash({"history", "--json", "--history", path}).JsonLines()) {
            ops << op["action"].toString() + ' ' + op["result"].toString();
            ops.last() += op["changed"].toBool() ? " changed" : "";
            for (const QJsonValue file : op["files"].toArray())
                ops.last() += ' ' + file["name"].toString() + ':' + file["sha256"].toString();
        }
        return ops;
    }
    QTemporaryDir m_dir;
    std::unique_ptr<kestrel::sim::SimThread> m_sim;
private slots:
    void keptThenReadOnly() {
        const QString path = m_dir.filePath("h.sqlite");
        const QString image = m_dir.filePath("image");
        const QStringList update = Update(path, 2, FlashCamera());
        QCOMPARE(RunFlash(update).exitCode, 0);
        QFile file(image);
        QVERIFY(file.open(QIODevice::WriteOnly) && file.write("image\n") == 6 && file.flush());
        const QStringList stage{"stage", "--hw", image, "--sw", image, m_dir.path()};
        QCOMPARE(RunFlash(stage + QStringList{"--history", path}).exitCode, 0);
        const QString sha = "254eddf15d9534e3b20c55469077aa2f24f167aa4b897a36381d3e251e4829c2";
        QCOMPARE(Operations(path), (QStringList{"stage ok changed image:" + sha + " image:" + sha,
                                                "update ok changed", "update ok changed"}));
        QFile history(path);
        const QByteArray before = history.open(QIODevice::ReadOnly) ? history.readAll() : "";
        const QFileDevice::Permissions ro(0x5555); // r-x for all
        const bool root = geteuid() == 0; // whom permissions do not stop: runs as another user
        QVERIFY(QFile::setPermissions(path, ro) && QFile::setPermissions(m_dir.path(), ro));
        QVERIFY(!root || setresuid(65534, 65534, 0) == 0);
        const FlashRun run = RunFlash(update);
        QVERIFY(!root || setresuid(0, 0, 0) == 0);
        QVERIFY(QFile::setPermissions(m_dir.path(), ro | QFileDevice::WriteUser));
        // The cameras' results are their own; the operator is told once; nothing is lost.
        QCOMPARE(SummaryJob(run, 1)["result"].toString() + QString::number(run.exitCode), "ok1");
        const QString why = " could not be opened: the file is read-only for this user.\n";
        QCOMPARE(QString(run.err), "kestrel-flash: The history " + path + why);
        QVERIFY(history.seek(0) && history.readAll() == before);
    }

    void killedDuringTwentyRuns() {
        const QString path = m_dir.filePath("killed.sqlite");
        kestrel::sim::SimOptions slow = FlashCamera("21041000");
        slow.eraseMs = 30000;
        QProcess flash;
        flash.start(KESTREL_FLASH_PROGRAM, Update(path, 20, slow));
        QTRY_COMPARE_WITH_TIMEOUT(Operations(path), QStringList(20, "update running"), 30000);
        QVERIFY(::kill(pid_t(flash.processId()), SIGKILL) == 0 && flash.waitForFinished(10000));
        kestrel::HistoryStore store;
        QStringList problems{"not checked"};
        QVERIFY(store.Open(path, nullptr) && store.CheckIntegrity(&problems, nullptr));
        QCOMPARE(problems, QStringList());
        QCOMPARE(RunFlash({"history", "--verify", "--history", path}).exitCode, 0);
        QCOMPARE(Operations(path), QStringList(20, "update interrupted"));
    }
};

QTEST_GUILESS_MAIN(FlashHistoryTest)
#include "flash_history_test.moc"
