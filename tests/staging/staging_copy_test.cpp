#include "ed25519_check.h"
#include "scratch_files.h"
#include "staging_rig.h"

#include <QDir>
#include <QRegularExpression>
#include <QTest>

#include <cerrno>

using kestrel::Pane;
using kestrel::test::CopyingLine;
using kestrel::test::FailureBox;
using kestrel::test::FolderEntries;
using kestrel::test::kUnchanged;
using kestrel::test::PatternBytes;
using kestrel::test::ReadAll;
using kestrel::test::Report;
using kestrel::test::StagingRig;
using kestrel::test::SystemText;
using kestrel::test::WriteFile;

namespace {

const QString kSuccess = QStringLiteral("\r\nNew files Copied successfully\r\n");

QString Native(const QString& path) {
    return QDir::toNativeSeparators(path);
}

// A rig with two firmware files in its sources folder.
struct Firmware {
    StagingRig rig;
    QByteArray hw = PatternBytes(300 * 1024 + 17, 1);
    QByteArray sw = PatternBytes(200 * 1024 + 5, 2);
    QString hwPath = rig.SourcePath(QStringLiteral("board_3.rbf"));
    QString swPath = rig.SourcePath(QStringLiteral("vx_server_24"));
    bool written = WriteFile(hwPath, hw) && WriteFile(swPath, sw);
};

} // namespace

class StagingCopyTest : public QObject {
    Q_OBJECT
private slots:
    void refusedWithoutChoices_data();
    void refusedWithoutChoices();
    void copiesAndReports_data();
    void copiesAndReports();
    void sourceIsTheDestinationFile_data();
    void sourceIsTheDestinationFile();
    void sourceGoneAfterChoosing_data();
    void sourceGoneAfterChoosing();
    void destinationFolderRemoved();
    void secondFileFailsOldPairStays();
    void emptySourceRefused();
    void leftoverChosenAsSourceIsRefused();
    void pressesDuringCopyAreRefused();
    void progressAndStatusLine();
    void signaturesWithoutOpenSsl_data();
    void signaturesWithoutOpenSsl();
};

void StagingCopyTest::refusedWithoutChoices_data() {
    QTest::addColumn<bool>("hw");
    QTest::addColumn<bool>("sw");
    QTest::addColumn<bool>("folder");
    QTest::addColumn<QString>("message");

    const QString noFolder = QStringLiteral("No valid path selected to copy files");
    const QString noFiles = QStringLiteral("Please select HW AND SW files");
    QTest::newRow("nothing chosen") << false << false << false << noFolder;
    QTest::newRow("both files, no folder") << true << true << false << noFolder;
    QTest::newRow("folder and hardware only") << true << false << true << noFiles;
    QTest::newRow("folder and software only") << false << true << true << noFiles;
    QTest::newRow("folder only") << false << false << true << noFiles;
}

void StagingCopyTest::refusedWithoutChoices() {
    QFETCH(bool, hw);
    QFETCH(bool, sw);
    QFETCH(bool, folder);
    QFETCH(QString, message);

    Firmware f;
    QVERIFY(f.written);
    // Every choice is made and then, where the row says so, cancelled.
    f.rig.Choose(f.hwPath, f.swPath, f.rig.StickPath());
    if (!hw) {
        f.rig.surface.fileAnswers << std::nullopt;
        f.rig.staging.ChooseHwFile();
    }
    if (!sw) {
        f.rig.surface.fileAnswers << std::nullopt;
        f.rig.staging.ChooseSwFile();
    }
    if (!folder) {
        f.rig.surface.folderAnswers << std::nullopt;
        f.rig.staging.ChooseStickFolder();
    }
    f.rig.log.Restart(QStringLiteral("camera log\r\n"));
    f.rig.surface.paneText[Pane::Log] = QStringLiteral("camera log\r\n");
    f.rig.ForgetRecorded();

    f.rig.Copy();

    QCOMPARE(f.rig.surface.calls, QStringList{"message " + message});
    QCOMPARE(f.rig.log.Text(), QStringLiteral("camera log\r\n"));
    QCOMPARE(f.rig.surface.paneText.value(Pane::Log), QStringLiteral("camera log\r\n"));
    QCOMPARE(FolderEntries(f.rig.StickPath()), QStringList());
    QVERIFY(!f.rig.staging.CopyRunning());
}

void StagingCopyTest::copiesAndReports_data() {
    QTest::addColumn<QString>("subFolder"); // below the stick; empty: the stick itself
    QTest::addColumn<bool>("trailingSeparator");
    QTest::addColumn<bool>("oldPair");
    QTest::addColumn<bool>("leftovers");

    QTest::newRow("root-like folder ending in a separator") << "" << true << false << false;
    QTest::newRow("folder without a separator") << "" << false << false << false;
    QTest::newRow("sub-folder: files land inside it") << "fw" << false << false << false;
    QTest::newRow("sub-folder ending in a separator") << "fw" << true << false << false;
    QTest::newRow("an existing pair is replaced") << "" << false << true << false;
    QTest::newRow("leftovers of an interrupted copy are removed") << "" << true << true << true;
}

void StagingCopyTest::copiesAndReports() {
    QFETCH(QString, subFolder);
    QFETCH(bool, trailingSeparator);
    QFETCH(bool, oldPair);
    QFETCH(bool, leftovers);

    Firmware f;
    QVERIFY(f.written);
    QString target = f.rig.StickPath();
    if (!subFolder.isEmpty()) {
        QVERIFY(QDir(target).mkdir(subFolder));
        target += QLatin1Char('/') + subFolder;
    }
    if (oldPair) {
        QVERIFY(WriteFile(target + "/firm.rbf", "old hardware"));
        QVERIFY(WriteFile(target + "/vx_server", "old software"));
    }
    if (leftovers) {
        QVERIFY(WriteFile(target + "/.firm.rbf.kestrel-tmp", PatternBytes(4096, 9)));
        QVERIFY(WriteFile(target + "/.vx_server.kestrel-tmp", "half a"));
    }
    const QString chosen = Native(target) + (trailingSeparator ? QString(QDir::separator()) : "");
    f.rig.Choose(f.hwPath, f.swPath, chosen);
    f.rig.log.Restart(QStringLiteral("Connected to camera\r\n"));

    f.rig.Copy();

    const QString log = Report(chosen, {{"board_3.rbf", f.hw}, {"vx_server_24", f.sw}}, kSuccess);
    QCOMPARE(f.rig.log.Text(), log);
    QCOMPARE(f.rig.surface.paneText.value(Pane::Log), log);
    QCOMPARE(f.rig.surface.messageBoxes, QStringList());
    QCOMPARE(ReadAll(target + "/firm.rbf"), f.hw);
    QCOMPARE(ReadAll(target + "/vx_server"), f.sw);
    QCOMPARE(FolderEntries(target), (QStringList{"firm.rbf", "vx_server"}));
    if (!subFolder.isEmpty())
        QCOMPARE(FolderEntries(f.rig.StickPath()), QStringList{subFolder});
    // The report is set as a whole at the end, without moving the caret.
    const qsizetype setLog = f.rig.surface.calls.lastIndexOf(QStringLiteral("set log"));
    QVERIFY(setLog >= 0);
    QCOMPARE(f.rig.surface.calls.mid(setLog), (QStringList{"set log", "progress 100"}));
    QVERIFY(!f.rig.staging.CopyRunning());
    // The choices stay, so the same copy can be made again.
    const kestrel::StagingChoices& choices = f.rig.staging.Choices();
    QVERIFY(choices.m_bHwSelected && choices.m_bSwSelected && choices.m_bUsbSelected);
}

void StagingCopyTest::sourceIsTheDestinationFile_data() {
    QTest::addColumn<bool>("swapped");
    QTest::newRow("each file chosen from its own place on the stick") << false;
    QTest::newRow("the two chosen the other way round") << true;
}

void StagingCopyTest::sourceIsTheDestinationFile() {
    QFETCH(bool, swapped);

    StagingRig rig;
    const QByteArray first = PatternBytes(70000, 3);
    const QByteArray second = PatternBytes(50000, 4);
    const QString firm = rig.StickFile(QStringLiteral("firm.rbf"));
    const QString server = rig.StickFile(QStringLiteral("vx_server"));
    QVERIFY(WriteFile(firm, first));
    QVERIFY(WriteFile(server, second));
    const QString hwSource = swapped ? server : firm;
    const QString swSource = swapped ? firm : server;
    const QByteArray hwContent = swapped ? second : first;
    const QByteArray swContent = swapped ? first : second;
    rig.Choose(hwSource, swSource, rig.StickPath());

    rig.Copy();

    QCOMPARE(rig.surface.messageBoxes, QStringList());
    QCOMPARE(rig.log.Text(),
             Report(rig.StickPath(),
                    {{QFileInfo(hwSource).fileName(), hwContent},
                     {QFileInfo(swSource).fileName(), swContent}},
                    kSuccess));
    QCOMPARE(ReadAll(firm), hwContent);
    QCOMPARE(ReadAll(server), swContent);
    QCOMPARE(FolderEntries(rig.StickPath()), (QStringList{"firm.rbf", "vx_server"}));
}

void StagingCopyTest::sourceGoneAfterChoosing_data() {
    QTest::addColumn<bool>("hwGone");
    QTest::addColumn<bool>("swGone");
    QTest::newRow("hardware file deleted") << true << false;
    QTest::newRow("software file deleted") << false << true;
    QTest::newRow("both deleted: the hardware file is named") << true << true;
}

void StagingCopyTest::sourceGoneAfterChoosing() {
    QFETCH(bool, hwGone);
    QFETCH(bool, swGone);

    Firmware f;
    QVERIFY(f.written);
    QVERIFY(WriteFile(f.rig.StickFile("firm.rbf"), "old hardware"));
    QVERIFY(WriteFile(f.rig.StickFile("vx_server"), "old software"));
    f.rig.Choose(f.hwPath, f.swPath, f.rig.StickPath());
    if (hwGone)
        QVERIFY(QFile::remove(f.hwPath));
    if (swGone)
        QVERIFY(QFile::remove(f.swPath));

    f.rig.Copy();

    const QString name = hwGone ? "board_3.rbf" : "vx_server_24";
    const QString reason =
        "cannot read \"" + Native(hwGone ? f.hwPath : f.swPath) + "\": " + SystemText(ENOENT);
    QCOMPARE(f.rig.log.Text(), CopyingLine(f.rig.StickPath()) + "\t=> " + name +
                                       " NOT copied: " + reason + "\r\n" + kUnchanged);
    QCOMPARE(f.rig.surface.paneText.value(Pane::Log), f.rig.log.Text());
    QCOMPARE(f.rig.surface.messageBoxes, QStringList{FailureBox(name + ": " + reason)});
    QCOMPARE(ReadAll(f.rig.StickFile("firm.rbf")), QByteArray("old hardware"));
    QCOMPARE(ReadAll(f.rig.StickFile("vx_server")), QByteArray("old software"));
    QCOMPARE(FolderEntries(f.rig.StickPath()), (QStringList{"firm.rbf", "vx_server"}));
    QCOMPARE(f.rig.surface.progress, 0);
    QVERIFY(!f.rig.staging.CopyRunning());
}

void StagingCopyTest::destinationFolderRemoved() {
    Firmware f;
    QVERIFY(f.written);
    const QString folder = f.rig.StickPath() + QStringLiteral("/fw");
    QVERIFY(QDir().mkdir(folder));
    f.rig.Choose(f.hwPath, f.swPath, folder);
    QVERIFY(QDir(folder).removeRecursively());

    f.rig.Copy();

    const QString reason = "the folder \"" + Native(folder) + "\" does not exist";
    QCOMPARE(f.rig.log.Text(), CopyingLine(folder) + "\t=> " + reason + "\r\n" + kUnchanged);
    QCOMPARE(f.rig.surface.messageBoxes, QStringList{FailureBox(reason)});
    QVERIFY(!QFileInfo::exists(folder));
    QCOMPARE(FolderEntries(f.rig.StickPath()), QStringList());
}

void StagingCopyTest::secondFileFailsOldPairStays() {
    // Both files are written and verified; the software file's final name is
    // taken by a folder, so nothing may be renamed at all.
    Firmware f;
    QVERIFY(f.written);
    QVERIFY(WriteFile(f.rig.StickFile("firm.rbf"), "old hardware"));
    QVERIFY(QDir(f.rig.StickPath()).mkpath("vx_server/inside"));
    f.rig.Choose(f.hwPath, f.swPath, f.rig.StickPath());

    f.rig.Copy();

    const QString reason =
        "\"" + Native(f.rig.StickFile("vx_server")) + "\" is a folder and cannot be replaced";
    QCOMPARE(f.rig.log.Text(),
             Report(f.rig.StickPath(), {{"board_3.rbf", f.hw}},
                    "\t=> vx_server_24 NOT copied: " + reason + "\r\n" + kUnchanged));
    QCOMPARE(f.rig.surface.messageBoxes, QStringList{FailureBox("vx_server_24: " + reason)});
    QCOMPARE(ReadAll(f.rig.StickFile("firm.rbf")), QByteArray("old hardware"));
    QCOMPARE(FolderEntries(f.rig.StickPath()), (QStringList{"firm.rbf", "vx_server"}));
    QCOMPARE(FolderEntries(f.rig.StickFile("vx_server")), QStringList{"inside"});
}

void StagingCopyTest::emptySourceRefused() {
    Firmware f;
    QVERIFY(WriteFile(f.swPath, QByteArray()));
    f.rig.Choose(f.hwPath, f.swPath, f.rig.StickPath());

    f.rig.Copy();

    const QString reason = "\"" + Native(f.swPath) + "\" is empty";
    QCOMPARE(f.rig.log.Text(), CopyingLine(f.rig.StickPath()) +
                                       "\t=> vx_server_24 NOT copied: " + reason + "\r\n" +
                                       kUnchanged);
    QCOMPARE(FolderEntries(f.rig.StickPath()), QStringList());
}

void StagingCopyTest::leftoverChosenAsSourceIsRefused() {
    Firmware f;
    QVERIFY(f.written);
    const QString leftover = f.rig.StickFile(".firm.rbf.kestrel-tmp");
    QVERIFY(WriteFile(leftover, f.hw));
    f.rig.Choose(leftover, f.swPath, f.rig.StickPath());

    f.rig.Copy();

    const QString reason =
        "\"" + Native(leftover) + "\" is a leftover of an interrupted copy, not a firmware file";
    QCOMPARE(f.rig.log.Text(), CopyingLine(f.rig.StickPath()) + "\t=> " +
                                       ".firm.rbf.kestrel-tmp NOT copied: " + reason + "\r\n" +
                                       kUnchanged);
    QCOMPARE(ReadAll(leftover), f.hw); // the operator's choice is not deleted
    QCOMPARE(FolderEntries(f.rig.StickPath()), QStringList{".firm.rbf.kestrel-tmp"});
}

void StagingCopyTest::pressesDuringCopyAreRefused() {
    Firmware f;
    QVERIFY(f.written);
    f.rig.Choose(f.hwPath, f.swPath, f.rig.StickPath());
    f.rig.surface.fileAnswers << QStringLiteral("/elsewhere/other.rbf")
                              << QStringLiteral("/elsewhere/vx_server_1");
    f.rig.surface.folderAnswers << QStringLiteral("/elsewhere");
    bool pressed = false;
    bool runningMeanwhile = false;
    f.rig.surface.onLogShown = [&](const QString&, qsizetype) {
        if (pressed)
            return;
        pressed = true;
        runningMeanwhile = f.rig.staging.CopyRunning();
        f.rig.staging.CopyToStick();
        f.rig.staging.ChooseHwFile();
        f.rig.staging.ChooseSwFile();
        f.rig.staging.ChooseStickFolder();
    };

    f.rig.Copy();

    QVERIFY(pressed);
    QVERIFY(runningMeanwhile);
    const QString wait = QStringLiteral("Please wait until the copy to the USB stick has finished");
    QCOMPARE(f.rig.surface.messageBoxes,
             (QStringList{"A copy to the USB stick is already running", wait, wait, wait}));
    QCOMPARE(f.rig.surface.fileChooserInitialNames.size(), 2); // only those of Choose()
    QCOMPARE(f.rig.surface.fileAnswers.size(), 2);
    QCOMPARE(f.rig.surface.folderAnswers.size(), 1);
    QCOMPARE(f.rig.staging.Choices().m_strHwPath, f.hwPath);
    QCOMPARE(f.rig.staging.Choices().m_strSwPath, f.swPath);
    QCOMPARE(f.rig.staging.Choices().m_strUsbPath, f.rig.StickPath());
    QCOMPARE(f.rig.surface.paneText.value(Pane::HwFile), QStringLiteral("board_3.rbf"));
    QCOMPARE(f.rig.surface.paneText.value(Pane::UsbPath), f.rig.StickPath());
    QCOMPARE(f.rig.log.Text(), Report(f.rig.StickPath(),
                                      {{"board_3.rbf", f.hw}, {"vx_server_24", f.sw}}, kSuccess));
    QVERIFY(!f.rig.staging.CopyRunning());

    // Once it has finished, Copy works again and writes a fresh report.
    f.rig.ForgetRecorded();
    f.rig.Copy();
    QCOMPARE(f.rig.surface.messageBoxes, QStringList());
    QVERIFY(f.rig.log.Text().contains(kSuccess));
    QCOMPARE(f.rig.log.Text().count(QStringLiteral("Copying new files")), 1);
}

void StagingCopyTest::progressAndStatusLine() {
    StagingRig rig;
    const QByteArray hw = PatternBytes(6 * 1024 * 1024, 5);
    const QByteArray sw = PatternBytes(3 * 1024 * 1024, 6);
    QVERIFY(WriteFile(rig.SourcePath("board_3.rbf"), hw));
    QVERIFY(WriteFile(rig.SourcePath("vx_server_24"), sw));
    rig.Choose(rig.SourcePath("board_3.rbf"), rig.SourcePath("vx_server_24"), rig.StickPath());
    rig.log.Restart(QStringLiteral("Connected\r\n"));

    rig.Copy();

    const QString heading = CopyingLine(rig.StickPath());
    const QList<int> progress = rig.surface.progressHistory;
    QVERIFY(progress.size() >= 2);
    QCOMPARE(progress.front(), 0);
    QCOMPARE(progress.back(), 100);
    for (qsizetype i = 1; i < progress.size(); ++i)
        QVERIFY2(progress[i] >= progress[i - 1], "progress never moves back");
    const QRegularExpression status(QStringLiteral(
        R"(^(copying|verifying) (firm\.rbf: \d\.\d of 6\.0|vx_server: \d\.\d of 3\.0) MB\r\n$)"));
    QVERIFY(!rig.surface.logShown.isEmpty());
    for (const QString& shown : std::as_const(rig.surface.logShown)) {
        QVERIFY2(shown.startsWith(heading), qPrintable(shown));
        QVERIFY2(status.match(shown.mid(heading.size())).hasMatch(), qPrintable(shown));
    }
    QCOMPARE(rig.surface.caret.value(Pane::Log), heading.size());
    QCOMPARE(rig.surface.paneText.value(Pane::Log), rig.log.Text());
    QVERIFY(rig.log.Text().startsWith(heading));
}

// A build without OpenSSL (preset no-openssl); the others check signatures.
void StagingCopyTest::signaturesWithoutOpenSsl_data() {
    QTest::addColumn<QString>("file"); // made: a signature beside the firmware, or the policy
    QTest::addColumn<QString>("reason");
    QTest::newRow("a signed set") << "sources/SHA256SUMS.sig" << "\"%1\" signs the firmware,";
    QTest::newRow("the policy") << "policy.conf"
                                << "the site's policy \"%1\" requires signed firmware,";
}

void StagingCopyTest::signaturesWithoutOpenSsl() {
    if (kestrel::SignatureChecksAvailable())
        QSKIP("this build checks signatures: staging_signature_test covers them");
    QFETCH(QString, file);
    QFETCH(QString, reason);
    Firmware f;
    const QString path = f.rig.root.filePath(file);
    QVERIFY(f.written && WriteFile(path, "require-signature = yes\n"));
    qputenv("KESTREL_FLASH_POLICY", f.rig.root.filePath("policy.conf").toLocal8Bit());
    f.rig.Choose(f.hwPath, f.swPath, f.rig.StickPath());
    QVERIFY(!f.rig.Copy());
    QCOMPARE(f.rig.surface.messageBoxes.value(0),
             FailureBox("board_3.rbf: " + reason.arg(Native(path)) + " but this build of the tool "
                        "cannot check signatures (it was built without OpenSSL); use a build "
                        "that checks them"));
    QCOMPARE(FolderEntries(f.rig.StickPath()), QStringList());
}

QTEST_MAIN(StagingCopyTest)
#include "staging_copy_test.moc"
