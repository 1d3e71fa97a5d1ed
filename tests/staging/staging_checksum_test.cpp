// Copy to the stick from the window with checksum files beside the firmware.

#include "checksum_cases.h"
#include "file_stager.h"
#include "scratch_files.h"
#include "staging_rig.h"

#include <QCryptographicHash>
#include <QFile>
#include <QTest>

using namespace kestrel::test;
using kestrel::Pane;

class StagingChecksumTest : public QObject {
    Q_OBJECT
private slots:
    void copyChecksFirst_data() { AddChecksumRows(false); }
    void copyChecksFirst();
    void fileChangedAfterItsCheck();
};

void StagingChecksumTest::copyChecksFirst() {
    QFETCH(ChecksumCase, sums);

    StagingRig rig;
    const QByteArray hw = PatternBytes(300 * 1024 + 17, 1);
    const QByteArray sw = PatternBytes(200 * 1024 + 5, 2);
    const QString sources = rig.root.filePath("sources");
    QVERIFY(WriteFile(rig.SourcePath(kHwName), hw) && WriteFile(rig.SourcePath(kSwName), sw));
    QVERIFY(WriteChecksumFiles(sums, sources, hw, sw));
    // An old pair and the leftover of an interrupted copy: a refused copy
    // leaves all three as they are.
    QVERIFY(WriteFile(rig.StickFile("firm.rbf"), "old hardware"));
    QVERIFY(WriteFile(rig.StickFile("vx_server"), "old software"));
    QVERIFY(WriteFile(rig.StickFile(".firm.rbf.kestrel-tmp"), "half a"));
    rig.Choose(rig.SourcePath(kHwName), rig.SourcePath(kSwName), rig.StickPath());

    const bool copied = rig.handlers.OnBnClickedCopyToUsb();

    QCOMPARE(copied, sums.refusedItem < 0);
    const QString heading = CopyingLine(rig.StickPath());
    if (copied) {
        QCOMPARE(rig.state.m_strLog, heading + CopiedLines(kHwName, hw) +
                                         MatchLine(sums.hwMatched) + CopiedLines(kSwName, sw) +
                                         MatchLine(sums.swMatched) +
                                         "\r\nNew files Copied successfully\r\n");
        QCOMPARE(rig.surface.messageBoxes, QStringList());
        QCOMPARE(ReadAll(rig.StickFile("firm.rbf")), hw);
        QCOMPARE(ReadAll(rig.StickFile("vx_server")), sw);
        QCOMPARE(FolderEntries(rig.StickPath()), (QStringList{"firm.rbf", "vx_server"}));
        return;
    }
    const QString name = sums.refusedItem == 0 ? kHwName : kSwName;
    const QString reason = Filled(sums.reason, sources, hw, sw);
    QCOMPARE(rig.state.m_strLog,
             heading + "\t=> " + name + " NOT copied: " + reason + "\r\n" + kUnchanged);
    QCOMPARE(rig.surface.paneText.value(Pane::Log), rig.state.m_strLog);
    QCOMPARE(rig.surface.messageBoxes, QStringList{FailureBox(name + ": " + reason)});
    QCOMPARE(rig.surface.progress, 0);
    QCOMPARE(FolderEntries(rig.StickPath()),
             (QStringList{".firm.rbf.kestrel-tmp", "firm.rbf", "vx_server"}));
    QCOMPARE(ReadAll(rig.StickFile("firm.rbf")), QByteArray("old hardware"));
    QCOMPARE(ReadAll(rig.StickFile("vx_server")), QByteArray("old software"));
    QCOMPARE(ReadAll(rig.StickFile(".firm.rbf.kestrel-tmp")), QByteArray("half a"));
    QVERIFY(!rig.handlers.CopyRunning());
}

void StagingChecksumTest::fileChangedAfterItsCheck() {
    // The source is changed in place (same size) right after it passed its
    // check: the copy must not go on with what it reads then.
    StagingRig rig;
    const QByteArray hw = PatternBytes(200000, 3);
    const QString hwPath = rig.SourcePath(kHwName);
    QVERIFY(WriteFile(hwPath, hw) && WriteFile(rig.SourcePath(kSwName), "software"));
    kestrel::StagingPlan plan{
        rig.StickPath(),
        {{hwPath,
          kHwName,
          "firm.rbf",
          {{"--hw-sha256", QCryptographicHash::hash(hw, QCryptographicHash::Sha256)}}},
         {rig.SourcePath(kSwName), kSwName, "vx_server"}}};
    bool changed = false;
    const kestrel::StagingOutcome outcome =
        kestrel::StageFiles(plan, [&](const kestrel::StagingProgress& progress) {
            if (changed || progress.phase != kestrel::StagingProgress::Phase::Checking ||
                progress.itemDone != progress.itemSize)
                return;
            QFile file(hwPath);
            changed = file.open(QIODevice::ReadWrite) && file.write("X") == 1 && file.flush();
        });

    QVERIFY(changed);
    QVERIFY(!outcome.succeeded);
    QCOMPARE(outcome.failedItem, 0);
    QCOMPARE(outcome.reason,
             "\"" + QDir::toNativeSeparators(hwPath) + "\" changed while it was being copied");
    QCOMPARE(FolderEntries(rig.StickPath()), QStringList());
}

QTEST_MAIN(StagingChecksumTest)
#include "staging_checksum_test.moc"
