// Copy to the stick from the window with checksums beside the firmware.

#include "checksum_cases.h"
#include "file_stager.h"
#include "scratch_files.h"
#include "staging_rig.h"

#include <QCryptographicHash>
#include <QDir>
#include <QFile>
#include <QTest>

using namespace kestrel;
using namespace kestrel::test;

class StagingChecksumTest : public QObject {
    Q_OBJECT
private slots:
    void copyChecksFirst_data() { AddChecksumRows(ChecksumRows::Published); }
    void copyChecksFirst();
    void fileChangedAfterItsCheck();
};

void StagingChecksumTest::copyChecksFirst() {
    QFETCH(ChecksumCase, sums);
    const ChecksumBench bench(sums);
    QVERIFY(bench.ok);
    StagingRig rig;
    rig.Choose(bench.Source(kHwName), bench.Source(kSwName), bench.stick);

    QCOMPARE(rig.Copy(), sums.refusedItem < 0);

    const QString heading = CopyingLine(bench.stick);
    if (sums.refusedItem < 0) {
        QCOMPARE(rig.log.Text(),
                 Report(bench.stick,
                        {{kHwName, bench.hw, sums.hwMatched}, {kSwName, bench.sw, sums.swMatched}},
                        "\r\nNew files Copied successfully\r\n"));
        QCOMPARE(rig.surface.messageBoxes, QStringList());
        QVERIFY(bench.StickHoldsNewPair());
        return;
    }
    const QString name = sums.refusedItem == 0 ? kHwName : kSwName;
    const QString reason = bench.Filled(sums.reason);
    QCOMPARE(rig.log.Text(),
             heading + "\t=> " + name + " NOT copied: " + reason + "\r\n" + kUnchanged);
    QCOMPARE(rig.surface.messageBoxes, QStringList{FailureBox(name + ": " + reason)});
    QCOMPARE(rig.surface.progress, 0);
    QVERIFY(bench.StickUntouched());
}

void StagingChecksumTest::fileChangedAfterItsCheck() {
    // The source is changed in place, keeping its size, right after it passed
    // its check: the copy must not go on with what it reads then.
    const ChecksumBench bench({});
    QVERIFY(bench.ok);
    const QString hwPath = bench.Source(kHwName);
    const QByteArray sha256 = QCryptographicHash::hash(bench.hw, QCryptographicHash::Sha256);
    const StagingPlan plan{bench.stick,
                           {{hwPath, kHwName, "firm.rbf", {{"--hw-sha256", sha256}}},
                            {bench.Source(kSwName), kSwName, "vx_server"}}};
    bool changed = false;
    const StagingOutcome outcome = StageFiles(plan, [&](const StagingProgress& progress) {
        if (changed || progress.phase != StagingProgress::Phase::Checking ||
            progress.itemDone != progress.itemSize)
            return;
        QFile file(hwPath);
        changed = file.open(QIODevice::ReadWrite) && file.write("X") == 1 && file.flush();
    });

    QVERIFY(changed);
    QCOMPARE(outcome.failedItem, 0);
    QCOMPARE(outcome.reason,
             "\"" + QDir::toNativeSeparators(hwPath) + "\" changed while it was being copied");
    QVERIFY(!outcome.succeeded && !outcome.stickChanged);
    QCOMPARE(ReadAll(bench.stick + "/firm.rbf"), QByteArray("old hardware"));
}

QTEST_MAIN(StagingChecksumTest)
#include "staging_checksum_test.moc"
