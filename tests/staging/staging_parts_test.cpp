#include "copy_report.h"
#include "destination_path.h"
#include "progress_book.h"
#include "scratch_files.h"
#include "sha256.h"
#include "staging_task.h"
#include "verified_copy.h"

#include <QCryptographicHash>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>
#include <QThread>

#include <cerrno>

using namespace kestrel;
using kestrel::test::PatternBytes;
using kestrel::test::ReadAll;
using kestrel::test::SystemText;
using kestrel::test::WriteFile;

Q_DECLARE_METATYPE(kestrel::StagingOutcome)
Q_DECLARE_METATYPE(kestrel::StagingProgress::Phase)

namespace {

constexpr qint64 kMiB = 1024 * 1024;

StagingPlan TwoFilePlan() {
    return {QStringLiteral("E:\\"),
            {{QStringLiteral("C:\\fw\\board_3.rbf"), QStringLiteral("board_3.rbf"),
              QStringLiteral("firm.rbf")},
             {QStringLiteral("C:\\fw\\vx_server_24"), QStringLiteral("vx_server_24"),
              QStringLiteral("vx_server")}}};
}

QByteArray Digest(char fill) {
    return QByteArray(32, fill);
}

} // namespace

class StagingPartsTest : public QObject {
    Q_OBJECT
private slots:
    void joinFolderAndName_data();
    void joinFolderAndName();
    void temporaryName();
    void sha256_data();
    void sha256();
    void copyToNewFile();
    void copyRefusesAnExistingDestination();
    void copyNoticesAGrowingSource();
    void verifyFile_data();
    void verifyFile();
    void copyPercent_data();
    void copyPercent();
    void statusLine_data();
    void statusLine();
    void reportLines_data();
    void reportLines();
    void progressBookFollowsWriteAndReadBack();
    void progressIsThrottled();
};

void StagingPartsTest::joinFolderAndName_data() {
    QTest::addColumn<QString>("folder");
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("path");

    QTest::newRow("file system root") << "/"
                                      << "firm.rbf"
                                      << "/firm.rbf";
    QTest::newRow("mount point with separator") << "/media/STICK/"
                                                << "firm.rbf"
                                                << "/media/STICK/firm.rbf";
    QTest::newRow("mount point without separator") << "/media/STICK"
                                                   << "vx_server"
                                                   << "/media/STICK/vx_server";
    QTest::newRow("sub-folder") << "/media/STICK/fw"
                                << "firm.rbf"
                                << "/media/STICK/fw/firm.rbf";
#ifdef Q_OS_WIN
    QTest::newRow("drive root") << "E:\\"
                                << "firm.rbf"
                                << "E:\\firm.rbf";
    QTest::newRow("folder below a drive root") << "E:\\fw"
                                               << "firm.rbf"
                                               << "E:\\fw\\firm.rbf";
    QTest::newRow("forward separator") << "E:/fw/"
                                       << "vx_server"
                                       << "E:/fw/vx_server";
#endif
}

void StagingPartsTest::joinFolderAndName() {
    QFETCH(QString, folder);
    QFETCH(QString, name);
    QFETCH(QString, path);
    QCOMPARE(JoinFolderAndName(folder, name), path);
}

void StagingPartsTest::temporaryName() {
    QCOMPARE(TemporaryNameFor(QStringLiteral("firm.rbf")), QStringLiteral(".firm.rbf.kestrel-tmp"));
    QCOMPARE(TemporaryNameFor(QStringLiteral("vx_server")),
             QStringLiteral(".vx_server.kestrel-tmp"));
}

void StagingPartsTest::sha256_data() {
    QTest::addColumn<QByteArray>("data");
    QTest::addColumn<int>("chunk");
    QTest::addColumn<QByteArray>("hex");

    QTest::newRow("empty")
        << QByteArray() << 1
        << QByteArray("e3b0c44298fc1c149afbf4c8996fb92427ae41e4649b934ca495991b7852b855");
    QTest::newRow("abc") << QByteArray("abc") << 1
                         << QByteArray(
                                "ba7816bf8f01cfea414140de5dae2223b00361a396177a9cb410ff61f20015ad");
    QTest::newRow("a million a, uneven chunks")
        << QByteArray(1000000, 'a') << 4099
        << QByteArray("cdc76e5c9914fb9281a1c7e284d73e67f1809a48a497200e046d39ccc7112cd0");
    const QByteArray pattern = PatternBytes(3 * kMiB + 11, 42);
    QTest::newRow("pattern, as Qt computes it")
        << pattern << int(kMiB)
        << QCryptographicHash::hash(pattern, QCryptographicHash::Sha256).toHex();
}

void StagingPartsTest::sha256() {
    QFETCH(QByteArray, data);
    QFETCH(int, chunk);
    QFETCH(QByteArray, hex);

    Sha256 hash;
    for (qsizetype at = 0; at < data.size(); at += chunk)
        hash.Add(data.constData() + at, qMin<qsizetype>(chunk, data.size() - at));
    QCOMPARE(hash.Result().toHex(), hex);
    QCOMPARE(hash.Result().toHex(), hex); // asked again, the same
}

void StagingPartsTest::copyToNewFile() {
    QTemporaryDir dir;
    const QByteArray content = PatternBytes(2 * kMiB + 3, 7);
    QVERIFY(WriteFile(dir.filePath("source"), content));
    QFile source(dir.filePath("source"));
    QVERIFY(source.open(QIODevice::ReadOnly));
    QByteArray digest;
    QString reason;
    QList<qint64> reported;
    QVERIFY2(CopyToNewFile(
                 source, content.size(), dir.filePath("copy"), digest,
                 [&](qint64 done) { reported << done; }, reason),
             qPrintable(reason));
    QCOMPARE(ReadAll(dir.filePath("copy")), content);
    QCOMPARE(digest, QCryptographicHash::hash(content, QCryptographicHash::Sha256));
    QCOMPARE(reported, (QList<qint64>{kMiB, 2 * kMiB, content.size()}));
}

void StagingPartsTest::copyRefusesAnExistingDestination() {
    QTemporaryDir dir;
    QVERIFY(WriteFile(dir.filePath("source"), "new"));
    QVERIFY(WriteFile(dir.filePath("copy"), "someone else's"));
    QFile source(dir.filePath("source"));
    QVERIFY(source.open(QIODevice::ReadOnly));
    QByteArray digest;
    QString reason;
    QVERIFY(!CopyToNewFile(
        source, 3, dir.filePath("copy"), digest, [](qint64) {}, reason));
    QCOMPARE(reason, "cannot create \"" + QDir::toNativeSeparators(dir.filePath("copy")) +
                         "\": " + SystemText(EEXIST));
    QCOMPARE(ReadAll(dir.filePath("copy")), QByteArray("someone else's"));
}

void StagingPartsTest::copyNoticesAGrowingSource() {
    QTemporaryDir dir;
    QVERIFY(WriteFile(dir.filePath("source"), PatternBytes(5000, 1)));
    QFile source(dir.filePath("source"));
    QVERIFY(source.open(QIODevice::ReadOnly));
    QByteArray digest;
    QString reason;
    QVERIFY(!CopyToNewFile(
        source, 4000, dir.filePath("copy"), digest, [](qint64) {}, reason));
    QCOMPARE(reason, "\"" + QDir::toNativeSeparators(dir.filePath("source")) +
                         "\" changed while it was being copied");
}

void StagingPartsTest::verifyFile_data() {
    QTest::addColumn<QByteArray>("onStick");
    QTest::addColumn<bool>("missing");
    QTest::addColumn<QString>("reasonAfterPath"); // empty: verified

    const QByteArray source = PatternBytes(300000, 9);
    QByteArray flipped = source;
    flipped[123456] = static_cast<char>(flipped[123456] ^ 0x01);
    QTest::newRow("intact") << source << false << QString();
    QTest::newRow("one bit differs")
        << flipped << false << "\" does not match the source (SHA-256 differs)";
    QTest::newRow("truncated") << source.left(299999) << false
                               << "\" holds 299999 bytes instead of 300000";
    QTest::newRow("gone") << QByteArray() << true << " failed: " + SystemText(ENOENT);
}

void StagingPartsTest::verifyFile() {
    QFETCH(QByteArray, onStick);
    QFETCH(bool, missing);
    QFETCH(QString, reasonAfterPath);

    QTemporaryDir dir;
    const QString path = dir.filePath("firm.rbf");
    if (!missing)
        QVERIFY(WriteFile(path, onStick));
    const QByteArray source = PatternBytes(300000, 9);
    QString reason;
    const bool verified = VerifyFile(
        path, source.size(), QCryptographicHash::hash(source, QCryptographicHash::Sha256),
        [](qint64) {}, reason);
    QCOMPARE(verified, reasonAfterPath.isEmpty());
    if (missing)
        QCOMPARE(reason,
                 "reading back \"" + QDir::toNativeSeparators(path) + "\"" + reasonAfterPath);
    else if (!verified)
        QCOMPARE(reason, "\"" + QDir::toNativeSeparators(path) + reasonAfterPath);
}

void StagingPartsTest::copyPercent_data() {
    QTest::addColumn<qint64>("done");
    QTest::addColumn<qint64>("total");
    QTest::addColumn<int>("percent");

    QTest::newRow("start") << qint64(0) << qint64(200) << 0;
    QTest::newRow("first byte rounds up") << qint64(1) << qint64(200) << 1;
    QTest::newRow("half") << qint64(100) << qint64(200) << 50;
    QTest::newRow("last byte missing") << qint64(199) << qint64(200) << 100;
    QTest::newRow("all") << qint64(200) << qint64(200) << 100;
    QTest::newRow("two 64 MB files, 3 of 4 passes")
        << qint64(3 * 64 * kMiB) << qint64(4 * 64 * kMiB) << 75;
    QTest::newRow("nothing to do") << qint64(0) << qint64(0) << 0;
}

void StagingPartsTest::copyPercent() {
    QFETCH(qint64, done);
    QFETCH(qint64, total);
    QFETCH(int, percent);
    StagingProgress progress;
    progress.overallDone = done;
    progress.overallTotal = total;
    QCOMPARE(CopyPercent(progress), percent);
}

void StagingPartsTest::statusLine_data() {
    using Phase = StagingProgress::Phase;
    QTest::addColumn<int>("item");
    QTest::addColumn<Phase>("phase");
    QTest::addColumn<qint64>("done");
    QTest::addColumn<qint64>("size");
    QTest::addColumn<QString>("line");

    QTest::newRow("copying the hardware file")
        << 0 << Phase::Copying << 12 * kMiB << 64 * kMiB << "copying firm.rbf: 12.0 of 64.0 MB\r\n";
    QTest::newRow("verifying the software file")
        << 1 << Phase::Verifying << 3 * kMiB / 2 << 2 * kMiB
        << "verifying vx_server: 1.5 of 2.0 MB\r\n";
    QTest::newRow("checking the hardware source: its own name")
        << 0 << Phase::Checking << kMiB << 4 * kMiB << "checking board_3.rbf: 1.0 of 4.0 MB\r\n";
    QTest::newRow("small file") << 0 << Phase::Copying << qint64(0) << qint64(300000)
                                << "copying firm.rbf: 0.0 of 0.3 MB\r\n";
}

void StagingPartsTest::statusLine() {
    QFETCH(int, item);
    QFETCH(StagingProgress::Phase, phase);
    QFETCH(qint64, done);
    QFETCH(qint64, size);
    QFETCH(QString, line);
    StagingProgress progress;
    progress.item = item;
    progress.phase = phase;
    progress.itemDone = done;
    progress.itemSize = size;
    QCOMPARE(CopyStatusLine(TwoFilePlan(), progress), line);
}

void StagingPartsTest::reportLines_data() {
    QTest::addColumn<StagingOutcome>("outcome");
    QTest::addColumn<QString>("lines");
    QTest::addColumn<QString>("message"); // empty: none

    const QString hwLines = QStringLiteral("\t=> board_3.rbf copied\r\n"
                                           "\t   verified: 1000 bytes, SHA-256 ") +
                            QString(64, 'a') +
                            "\r\n\t   checksum matches --hw-sha256 and SHA256SUMS\r\n"
                            "\t   signed by key 1a2b3c4d5e6f7a8b (maker release key)\r\n";
    const QString swLines = QStringLiteral("\t=> vx_server_24 copied\r\n"
                                           "\t   verified: 2000 bytes, SHA-256 ") +
                            QString(64, 'b') + "\r\n\t   not signed\r\n";
    const QString unchanged =
        QStringLiteral("\r\nCopy FAILED: the files on the USB stick were left unchanged\r\n");
    const QString mixed = QStringLiteral("\r\nCopy FAILED: the files on the USB stick may not "
                                         "belong together; copy again before using the stick\r\n");
    const QString box = QStringLiteral("Copying the firmware files to the USB stick failed: ");
    const QString boxUnchanged =
        QStringLiteral(". The files on the USB stick were left unchanged.");
    const QString boxMixed = QStringLiteral(
        ". The files on the USB stick may not belong together; copy again before using the stick.");
    const QList<VerifiedFile> both{{1000,
                                    Digest('\xaa'),
                                    {"--hw-sha256", "SHA256SUMS"},
                                    {"1a2b3c4d5e6f7a8b", "maker release key"}},
                                   {2000, Digest('\xbb')}};

    QTest::newRow("success") << StagingOutcome{true, both, -1, {}, false}
                             << hwLines + swLines + "\r\nNew files Copied successfully\r\n"
                             << QString();
    QTest::newRow("folder gone before anything")
        << StagingOutcome{false, {}, -1, "the folder \"E:\\\" does not exist", false}
        << "\t=> the folder \"E:\\\" does not exist\r\n" + unchanged
        << box + "the folder \"E:\\\" does not exist" + boxUnchanged;
    QTest::newRow("software source unreadable, nothing written")
        << StagingOutcome{false, {}, 1, "cannot read \"C:\\fw\\vx_server_24\": gone", false}
        << "\t=> vx_server_24 NOT copied: cannot read \"C:\\fw\\vx_server_24\": gone\r\n" +
               unchanged
        << box + "vx_server_24: cannot read \"C:\\fw\\vx_server_24\": gone" + boxUnchanged;
    QTest::newRow("software write fails after the hardware file")
        << StagingOutcome{false, both.mid(0, 1), 1, "disk full", false}
        << hwLines + "\t=> vx_server_24 NOT copied: disk full\r\n" + unchanged
        << box + "vx_server_24: disk full" + boxUnchanged;
    QTest::newRow("first rename fails")
        << StagingOutcome{false, both, 0, "cannot rename", false}
        << "\t=> board_3.rbf NOT copied: cannot rename\r\n" + unchanged
        << box + "board_3.rbf: cannot rename" + boxUnchanged;
    QTest::newRow("second rename fails after the first")
        << StagingOutcome{false, both, 1, "cannot rename", true}
        << hwLines + "\t=> vx_server_24 NOT copied: cannot rename\r\n" + mixed
        << box + "vx_server_24: cannot rename" + boxMixed;
    QTest::newRow("folder sync fails after both renames")
        << StagingOutcome{false, both, -1, "the folder could not be saved", true}
        << hwLines + swLines + "\t=> the folder could not be saved\r\n" + mixed
        << box + "the folder could not be saved" + boxMixed;
}

void StagingPartsTest::reportLines() {
    QFETCH(StagingOutcome, outcome);
    QFETCH(QString, lines);
    QFETCH(QString, message);
    QCOMPARE(CopyReportLines(TwoFilePlan(), outcome, ReportLayout::DetailsUnderEachFile), lines);
    if (!message.isEmpty())
        QCOMPARE(CopyFailureMessage(TwoFilePlan(), outcome), message);
}

void StagingPartsTest::progressBookFollowsWriteAndReadBack() {
    QStringList told;
    const StagingProgressSink sink = [&](const StagingProgress& p) {
        told << QStringLiteral("%1 %2 %3/%4 all %5/%6")
                    .arg(p.phase == StagingProgress::Phase::Copying ? "copy" : "verify")
                    .arg(p.item)
                    .arg(p.itemDone)
                    .arg(p.itemSize)
                    .arg(p.overallDone)
                    .arg(p.overallTotal);
    };
    ProgressBook book(sink, 600);
    book.Copying(0, 100, 0);
    book.Copying(0, 100, 100);
    book.CopyEnded();
    book.Verifying(0, 100, 10); // the first file is read back...
    book.Copying(1, 200, 50);   // ...while the second is written: the write is shown
    book.Verifying(0, 100, 100);
    book.VerifyEnded();
    book.Copying(1, 200, 200);
    book.CopyEnded();
    book.Verifying(1, 200, 200);
    QCOMPARE(told, (QStringList{"copy 0 0/100 all 0/600", "copy 0 100/100 all 100/600",
                                "verify 0 10/100 all 110/600", "copy 1 50/200 all 160/600",
                                "copy 1 50/200 all 250/600", "copy 1 200/200 all 400/600",
                                "verify 1 200/200 all 600/600"}));
}

void StagingPartsTest::progressIsThrottled() {
    QTemporaryDir dir;
    QVERIFY(QDir(dir.path()).mkdir("stick"));
    QVERIFY(WriteFile(dir.filePath("hw"), PatternBytes(16 * kMiB, 1)));
    QVERIFY(WriteFile(dir.filePath("sw"), PatternBytes(16 * kMiB, 2)));
    StagingTask task(
        {dir.filePath("stick"),
         {{dir.filePath("hw"), "hw", "firm.rbf"}, {dir.filePath("sw"), "sw", "vx_server"}}});
    int calls = 0;
    bool onCallingThread = true;
    qint64 lastDone = -1;
    bool forward = true;
    connect(&task, &StagingTask::progressed, this, [&](const StagingProgress& progress) {
        ++calls;
        onCallingThread = onCallingThread && QThread::currentThread() == thread();
        forward = forward && progress.overallDone >= lastDone;
        lastDone = progress.overallDone;
    });
    StagingOutcome outcome;
    connect(&task, &StagingTask::finished, this,
            [&](const StagingOutcome& ended) { outcome = ended; });
    QSignalSpy finished(&task, &StagingTask::finished);
    QElapsedTimer clock;
    clock.start();
    task.Start();
    QVERIFY(finished.wait(60000));
    const qint64 elapsed = clock.elapsed();

    QVERIFY2(outcome.succeeded, qPrintable(outcome.reason));
    QVERIFY(calls >= 1);
    // 64 chunks were done; at most one update per 50 ms reaches this thread.
    QVERIFY2(calls <= elapsed / 50 + 1,
             qPrintable(QStringLiteral("%1 updates in %2 ms").arg(calls).arg(elapsed)));
    QVERIFY(onCallingThread);
    QVERIFY(forward);
}

QTEST_MAIN(StagingPartsTest)
#include "staging_parts_test.moc"
