// kestrel-flash writing the production history: an update and a copy found
// in it, a history that cannot be written, and the program killed during a
// run of twenty cameras.

#include "flash_process.h"
#include "history_store.h"
#include "sim_thread.h"

#include <QCryptographicHash>
#include <QDir>
#include <QFile>
#include <QJsonArray>
#include <QProcess>
#include <QSet>
#include <QTemporaryDir>
#include <QTest>

#ifdef Q_OS_LINUX
#include <csignal>
#include <unistd.h>
#endif

using kestrel::HistoryStore;
using kestrel::sim::SimOptions;
using kestrel::sim::SimThread;
using namespace kestrel::test;

namespace {

// The operations `history --json` shows, newest first.
QList<QJsonObject> Operations(const QString& path) {
    const FlashRun run = RunFlash({"history", "--json", "--history", path});
    return run.exitCode == 0 ? run.JsonLines() : QList<QJsonObject>();
}

QStringList Results(const QString& path) {
    QStringList results;
    for (const QJsonObject& operation : Operations(path))
        results << operation.value("result").toString();
    return results;
}

// The addresses of the simulator's cameras.
QStringList Cameras(const SimThread& sim, int count) {
    QStringList addresses;
    for (int i = 0; i < count; ++i)
        addresses << Loopback(static_cast<quint16>(sim.Port() + i));
    return addresses;
}

QByteArray Contents(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

} // namespace

class FlashHistoryTest : public QObject {
    Q_OBJECT
private slots:
    void updateAndCopyAreKept();
    void unwritableHistory_data();
    void unwritableHistory();
    void killedDuringTwentyRuns();
};

void FlashHistoryTest::updateAndCopyAreKept() {
    QTemporaryDir dir;
    const QString path = dir.filePath("bench.sqlite");
    SimOptions options = FlashCamera();
    options.cameras = 2;
    SimThread sim(options);
    QVERIFY(sim.Start());
    const QStringList cameras = Cameras(sim, 2);
    QCOMPARE(RunFlash(QStringList{"update", "--plain", "--history", path} + cameras).exitCode, 0);
    const QByteArray hw = "hardware image\n";
    const QByteArray sw = "software image\n";
    for (const auto& [name, bytes] : {std::pair{"image.rbf", hw}, {"server", sw}}) {
        QFile file(dir.filePath(name));
        QVERIFY(file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size());
    }
    QVERIFY(QDir(dir.path()).mkdir("stick"));
    QCOMPARE(RunFlash({"stage", "--plain", "--history", path, "--hw", dir.filePath("image.rbf"),
                       "--sw", dir.filePath("server"), dir.filePath("stick")})
                 .exitCode,
             0);

    const QList<QJsonObject> operations = Operations(path);
    QCOMPARE(operations.size(), 3);
    const QJsonObject copy = operations.first(); // the newest
    QCOMPARE(copy.value("action").toString(), "stage");
    QCOMPARE(copy.value("result").toString(), "ok");
    const auto sha = [](const QByteArray& bytes) {
        return QString::fromLatin1(QCryptographicHash::hash(bytes, QCryptographicHash::Sha256).toHex());
    };
    QCOMPARE(copy.value("files").toArray(),
             (QJsonArray{QJsonObject{{"name", "image.rbf"}, {"sha256", sha(hw)}},
                         QJsonObject{{"name", "server"}, {"sha256", sha(sw)}}}));
    QSet<QString> updated;
    for (const QJsonObject& run : operations.mid(1)) {
        QCOMPARE(run.value("face").toString() + " " + run.value("action").toString() + " " +
                     run.value("result").toString(),
                 "terminal update ok");
        QVERIFY(run.value("changed").toBool());
        QCOMPARE(run.value("hardwareBefore").toString(), "1.2A.3F");
        updated << run.value("address").toString() + " " + run.value("serial").toString();
    }
    QCOMPARE(updated, (QSet<QString>{cameras[0] + " 21040017", cameras[1] + " 21040018"}));
}

void FlashHistoryTest::unwritableHistory_data() {
    QTest::addColumn<bool>("readOnly");
    QTest::addColumn<QString>("reason");
    QTest::newRow("not a database") << false << "could not be opened: the file is not an SQLite database.";
#ifdef Q_OS_LINUX
    QTest::newRow("read-only") << true << "could not be opened: the file is read-only for this user.";
#endif
}

void FlashHistoryTest::unwritableHistory() {
    QFETCH(bool, readOnly);
    QFETCH(QString, reason);
    QTemporaryDir dir;
    const QString path = dir.filePath("bench.sqlite");
    SimThread sim(FlashCamera());
    QVERIFY(sim.Start());
    if (readOnly) { // a history with an operation in it
        QCOMPARE(RunFlash({"update", "--history", path, Loopback(sim.Port())}).exitCode, 0);
    } else {
        QFile text(path);
        QVERIFY(text.open(QIODevice::WriteOnly) && text.write("kept as it is\n") > 0);
    }
    const QByteArray before = Contents(path);
#ifdef Q_OS_LINUX
    const auto ro = QFileDevice::ReadOwner | QFileDevice::ExeOwner | QFileDevice::ReadGroup |
                    QFileDevice::ExeGroup | QFileDevice::ReadOther | QFileDevice::ExeOther;
    const bool root = geteuid() == 0;
    if (readOnly) {
        QFile::setPermissions(path, ro);
        QFile::setPermissions(dir.path(), ro);
        // Root, whom permissions do not stop, runs it as another user.
        QVERIFY(!root || setresuid(65534, 65534, 0) == 0);
    }
#endif
    const FlashRun run = RunFlash({"update", "--json", "--history", path, Loopback(sim.Port())});
#ifdef Q_OS_LINUX
    if (readOnly) {
        QVERIFY(!root || setresuid(0, 0, 0) == 0);
        QFile::setPermissions(dir.path(), ro | QFileDevice::WriteOwner);
    }
#endif
    // The camera's work went on to its own end; the operator is told once.
    QCOMPARE(SummaryJob(run).value("result").toString(), "ok");
    QCOMPARE(run.exitCode, 1);
    QCOMPARE(QString::fromUtf8(run.err),
             "kestrel-flash: The history " + QDir::toNativeSeparators(path) + " " + reason + "\n");
    QCOMPARE(Contents(path), before);
}

void FlashHistoryTest::killedDuringTwentyRuns() {
#ifndef Q_OS_LINUX
    QSKIP("SIGKILL is the POSIX way");
#else
    constexpr int kCameras = 20;
    QTemporaryDir dir;
    const QString path = dir.filePath("bench.sqlite");
    SimOptions options = FlashCamera("21041000");
    options.cameras = kCameras;
    options.eraseMs = 30000;
    SimThread sim(options);
    QVERIFY(sim.Start());
    QProcess flash;
    flash.setProcessEnvironment(FlashEnvironment());
    flash.start(QStringLiteral(KESTREL_FLASH_PROGRAM),
                QStringList{"update", "--json", "--history", path} + Cameras(sim, kCameras));
    QVERIFY(flash.waitForStarted(10000));
    // Every run has begun in the history, and goes on.
    QTRY_COMPARE_WITH_TIMEOUT(Results(path), QStringList(kCameras, "running"), 30000);
    ::kill(static_cast<pid_t>(flash.processId()), SIGKILL);
    QVERIFY(flash.waitForFinished(10000));
    {
        HistoryStore store;
        QString error;
        QStringList problems{"not checked"};
        QVERIFY2(store.Open(path, &error) && store.CheckIntegrity(&problems, &error),
                 qPrintable(error));
        QCOMPARE(problems, QStringList());
    }
    const FlashRun verify = RunFlash({"history", "--verify", "--history", path});
    QVERIFY2(verify.exitCode == 0, verify.out.constData());
    QCOMPARE(Results(path), QStringList(kCameras, "interrupted"));
#endif
}

QTEST_GUILESS_MAIN(FlashHistoryTest)
#include "flash_history_test.moc"
