#include "read_only_folder.h"
#include "scratch_files.h"
#include "scratch_mount.h"
#include "staging_rig.h"

#include <QDir>
#include <QStorageInfo>
#include <QTest>

#include <cerrno>

using kestrel::Pane;
using kestrel::test::CopiedFile;
using kestrel::test::CopyingLine;
using kestrel::test::FailureBox;
using kestrel::test::FileSizeLimit;
using kestrel::test::FolderEntries;
using kestrel::test::kUnchanged;
using kestrel::test::PatternBytes;
using kestrel::test::ReadAll;
using kestrel::test::Report;
using kestrel::test::ReadOnlyFolder;
using kestrel::test::ScratchMount;
using kestrel::test::StagingRig;
using kestrel::test::SystemText;
using kestrel::test::WriteFile;

namespace {

QString Mb(qint64 bytes) {
    return QString::number(bytes / (1024.0 * 1024.0), 'f', 1);
}

// Puts the firmware files into the rig's sources and chooses them.
void ChooseFirmware(StagingRig& rig, const QByteArray& hw, const QByteArray& sw,
                    const QString& folder) {
    QVERIFY(WriteFile(rig.SourcePath("board_3.rbf"), hw));
    QVERIFY(WriteFile(rig.SourcePath("vx_server_24"), sw));
    rig.Choose(rig.SourcePath("board_3.rbf"), rig.SourcePath("vx_server_24"), folder);
}

} // namespace

class StagingMediumTest : public QObject {
    Q_OBJECT
private slots:
    void readOnlyStick();
    void smallStick_data();
    void smallStick();
    void writeFails_data();
    void writeFails();
    void noRoomForAnotherFile();
};

void StagingMediumTest::readOnlyStick() {
    StagingRig rig;
    ReadOnlyFolder stick(rig.StickPath());
    QVERIFY(WriteFile(rig.StickFile("firm.rbf"), "old hardware"));
    QVERIFY(WriteFile(rig.StickFile("vx_server"), "old software"));
    QString why;
    if (!stick.Seal(why))
        QSKIP(qPrintable("no means to make a folder read-only here: " + why));
    ChooseFirmware(rig, PatternBytes(100000, 1), PatternBytes(90000, 2), rig.StickPath());

    rig.Copy();

    const QString reason = "cannot create \"" + rig.StickFile(".firm.rbf.kestrel-tmp") +
                           "\": " + SystemText(stick.ExpectedError());
    QCOMPARE(rig.log.Text(), CopyingLine(rig.StickPath()) + "\t=> board_3.rbf NOT copied: " +
                                     reason + "\r\n" + kUnchanged);
    QCOMPARE(rig.surface.paneText.value(Pane::Log), rig.log.Text());
    QCOMPARE(rig.surface.messageBoxes, QStringList{FailureBox("board_3.rbf: " + reason)});
    QCOMPARE(ReadAll(rig.StickFile("firm.rbf")), QByteArray("old hardware"));
    QCOMPARE(ReadAll(rig.StickFile("vx_server")), QByteArray("old software"));
    QCOMPARE(FolderEntries(rig.StickPath()), (QStringList{"firm.rbf", "vx_server"}));
}

void StagingMediumTest::smallStick_data() {
    QTest::addColumn<qint64>("hwSize");
    QTest::addColumn<qint64>("swSize");
    QTest::addColumn<bool>("fits");

    // A 1 MiB stick that already holds a small old pair.
    QTest::newRow("too small for the two files")
        << qint64(600 * 1024) << qint64(600 * 1024) << false;
    QTest::newRow("just large enough") << qint64(500 * 1024) << qint64(480 * 1024) << true;
}

void StagingMediumTest::smallStick() {
    QFETCH(qint64, hwSize);
    QFETCH(qint64, swSize);
    QFETCH(bool, fits);

    StagingRig rig;
    ScratchMount mount(rig.StickPath(), 1024 * 1024);
    if (!mount.IsMounted())
        QSKIP(qPrintable("a small file system is needed: " + mount.Failure()));
    QVERIFY(WriteFile(rig.StickFile("firm.rbf"), "old hardware"));
    QVERIFY(WriteFile(rig.StickFile("vx_server"), "old software"));
    const QByteArray hw = PatternBytes(hwSize, 3);
    const QByteArray sw = PatternBytes(swSize, 4);
    const QString root = rig.StickPath() + QLatin1Char('/'); // the stick's root, as E:\ is
    ChooseFirmware(rig, hw, sw, root);
    const qint64 available = QStorageInfo(rig.StickPath()).bytesAvailable();

    rig.Copy();

    if (fits) {
        QCOMPARE(rig.surface.messageBoxes, QStringList());
        QCOMPARE(rig.log.Text(), Report(root, {{"board_3.rbf", hw}, {"vx_server_24", sw}},
                                        "\r\nNew files Copied successfully\r\n"));
        QCOMPARE(ReadAll(rig.StickFile("firm.rbf")), hw);
        QCOMPARE(ReadAll(rig.StickFile("vx_server")), sw);
    } else {
        const QString reason = "not enough free space on the USB stick: " + Mb(hwSize + swSize) +
                               " MB needed, " + Mb(available) + " MB free";
        QCOMPARE(reason, QStringLiteral(
                             "not enough free space on the USB stick: 1.2 MB needed, 1.0 MB free"));
        QCOMPARE(rig.log.Text(), CopyingLine(root) + "\t=> " + reason + "\r\n" + kUnchanged);
        QCOMPARE(rig.surface.messageBoxes, QStringList{FailureBox(reason)});
        QCOMPARE(ReadAll(rig.StickFile("firm.rbf")), QByteArray("old hardware"));
        QCOMPARE(ReadAll(rig.StickFile("vx_server")), QByteArray("old software"));
    }
    QCOMPARE(FolderEntries(rig.StickPath()), (QStringList{"firm.rbf", "vx_server"}));
}

void StagingMediumTest::writeFails_data() {
    QTest::addColumn<qint64>("hwSize");
    QTest::addColumn<qint64>("swSize");
    QTest::addColumn<bool>("secondFails");

    // Files may grow to 512 KiB; a write beyond fails with EFBIG.
    QTest::newRow("first file too large") << qint64(700 * 1024) << qint64(100 * 1024) << false;
    QTest::newRow("second file too large") << qint64(100 * 1024) << qint64(3 * 1024 * 1024) << true;
}

void StagingMediumTest::writeFails() {
    QFETCH(qint64, hwSize);
    QFETCH(qint64, swSize);
    QFETCH(bool, secondFails);

    StagingRig rig;
    QVERIFY(WriteFile(rig.StickFile("firm.rbf"), "old hardware"));
    QVERIFY(WriteFile(rig.StickFile("vx_server"), "old software"));
    const QByteArray hw = PatternBytes(hwSize, 5);
    const QByteArray sw = PatternBytes(swSize, 6);
    ChooseFirmware(rig, hw, sw, rig.StickPath());
    {
        FileSizeLimit limit(512 * 1024);
        QVERIFY2(limit.IsActive(), qPrintable(limit.Failure()));
        rig.Copy();
    }

    const QString temp =
        rig.StickFile(secondFails ? ".vx_server.kestrel-tmp" : ".firm.rbf.kestrel-tmp");
    const QString name = secondFails ? "vx_server_24" : "board_3.rbf";
    const QString reason = "writing \"" + temp + "\" failed: " + SystemText(EFBIG);
    QCOMPARE(rig.log.Text(),
             Report(rig.StickPath(),
                    secondFails ? QList<CopiedFile>{{"board_3.rbf", hw}} : QList<CopiedFile>{},
                    "\t=> " + name + " NOT copied: " + reason + "\r\n" + kUnchanged));
    QCOMPARE(rig.surface.messageBoxes, QStringList{FailureBox(name + ": " + reason)});
    QCOMPARE(ReadAll(rig.StickFile("firm.rbf")), QByteArray("old hardware"));
    QCOMPARE(ReadAll(rig.StickFile("vx_server")), QByteArray("old software"));
    QCOMPARE(FolderEntries(rig.StickPath()), (QStringList{"firm.rbf", "vx_server"}));
    QCOMPARE(rig.surface.progress, 0);
}

void StagingMediumTest::noRoomForAnotherFile() {
    // A stick with room for bytes but not for another file: the software
    // file's temporary cannot be created.
    StagingRig rig;
    ScratchMount mount(rig.StickPath(), 1024 * 1024, 2);
    if (!mount.IsMounted())
        QSKIP(qPrintable("a small file system is needed: " + mount.Failure()));
    const QByteArray hw = PatternBytes(50000, 7);
    ChooseFirmware(rig, hw, PatternBytes(40000, 8), rig.StickPath());

    rig.Copy();

    const QString reason =
        "cannot create \"" + rig.StickFile(".vx_server.kestrel-tmp") + "\": " + SystemText(ENOSPC);
    QCOMPARE(rig.log.Text(), Report(rig.StickPath(), {{"board_3.rbf", hw}},
                                    "\t=> vx_server_24 NOT copied: " + reason + "\r\n" +
                                        kUnchanged));
    QCOMPARE(FolderEntries(rig.StickPath()), QStringList());
}

QTEST_MAIN(StagingMediumTest)
#include "staging_medium_test.moc"
