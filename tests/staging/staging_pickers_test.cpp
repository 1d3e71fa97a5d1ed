#include "staging_rig.h"

#include <QDir>
#include <QTest>

#include <optional>

using kestrel::Pane;
using kestrel::test::StagingRig;
using Answers = QList<std::optional<QString>>;

Q_DECLARE_METATYPE(Answers)

namespace {

const QString kNoFile = QStringLiteral("No valid file selected");
const QString kNoFolder = QStringLiteral("No valid path file selected");

Pane PaneOf(const QString& button) {
    return button == QLatin1String("hw")   ? Pane::HwFile
           : button == QLatin1String("sw") ? Pane::SwFile
                                           : Pane::UsbPath;
}

void Press(StagingRig& rig, const QString& button) {
    if (button == QLatin1String("hw"))
        rig.staging.ChooseHwFile();
    else if (button == QLatin1String("sw"))
        rig.staging.ChooseSwFile();
    else
        rig.staging.ChooseStickFolder();
}

} // namespace

class StagingPickersTest : public QObject {
    Q_OBJECT
private slots:
    void pressSequence_data();
    void pressSequence();
    void offeredFilters_data();
    void offeredFilters();
    void folderCancelLeavesFilesAlone();
    void eachPickerKeepsToItsOwnRow();
};

void StagingPickersTest::pressSequence_data() {
    QTest::addColumn<QString>("button");
    QTest::addColumn<Answers>("answers"); // one per press of the button
    QTest::addColumn<QString>("field");
    QTest::addColumn<bool>("selected");
    QTest::addColumn<QString>("path");
    QTest::addColumn<QString>("name");
    QTest::addColumn<QStringList>("calls");         // of the last press
    QTest::addColumn<QString>("fieldWhileMessage"); // of the last press's message box

    const QString board = QStringLiteral("/home/op/fw/board_3.rbf");
    const QString server = QStringLiteral("/home/op/fw/vx_server_24");
    const QStringList hwChosen{"choose file *.rbf", "set hw"};
    const QStringList hwCancelled{"choose file *.rbf", "message " + kNoFile, "set hw"};
    const QStringList swChosen{"choose file vx_server*", "set sw"};
    const QStringList swCancelled{"choose file vx_server*", "set sw", "message " + kNoFile};
    const QStringList usbChosen{"choose folder", "set usb"};
    const QStringList usbCancelled{"choose folder", "set usb", "message " + kNoFolder};

    QTest::newRow("hw chosen") << "hw" << Answers{board} << "board_3.rbf" << true << board
                               << "board_3.rbf" << hwChosen << QString();
    QTest::newRow("hw through All Files, other extension")
        << "hw" << Answers{QStringLiteral("/home/op/fw/board.bin")} << "board.bin" << true
        << "/home/op/fw/board.bin"
        << "board.bin" << hwChosen << QString();
    QTest::newRow("hw cancelled") << "hw" << Answers{std::nullopt} << "" << false << ""
                                  << "" << hwCancelled << "";
    QTest::newRow("hw empty answer counts as cancel")
        << "hw" << Answers{QString()} << "" << false << ""
        << "" << hwCancelled << "";
    QTest::newRow("hw cancelled after a good choice: old name shown under the message")
        << "hw" << Answers{board, std::nullopt} << "" << false << ""
        << "" << hwCancelled << "board_3.rbf";
    QTest::newRow("hw chosen after a cancel")
        << "hw" << Answers{std::nullopt, board} << "board_3.rbf" << true << board << "board_3.rbf"
        << hwChosen << QString();

    QTest::newRow("sw chosen") << "sw" << Answers{server} << "vx_server_24" << true << server
                               << "vx_server_24" << swChosen << QString();
    QTest::newRow("sw through All Files, other name")
        << "sw" << Answers{QStringLiteral("/home/op/fw/camera_server")} << "camera_server" << true
        << "/home/op/fw/camera_server"
        << "camera_server" << swChosen << QString();
    QTest::newRow("sw cancelled") << "sw" << Answers{std::nullopt} << "" << false << ""
                                  << "" << swCancelled << "";
    QTest::newRow("sw cancelled after a good choice: field already blank under the message")
        << "sw" << Answers{server, std::nullopt} << "" << false << ""
        << "" << swCancelled << "";
    QTest::newRow("sw chosen after a cancel")
        << "sw" << Answers{std::nullopt, server} << "vx_server_24" << true << server
        << "vx_server_24" << swChosen << QString();

    QTest::newRow("usb drive root keeps its separator")
        << "usb" << Answers{QStringLiteral("E:\\")} << "E:\\" << true << "E:\\"
        << "" << usbChosen << QString();
    QTest::newRow("usb folder below a drive root")
        << "usb" << Answers{QStringLiteral("E:\\fw")} << "E:\\fw" << true << "E:\\fw"
        << "" << usbChosen << QString();
    QTest::newRow("usb mount point with separator")
        << "usb" << Answers{QStringLiteral("/media/op/STICK/")} << "/media/op/STICK/" << true
        << "/media/op/STICK/"
        << "" << usbChosen << QString();
    QTest::newRow("usb sub-folder") << "usb" << Answers{QStringLiteral("/media/op/STICK/fw")}
                                    << "/media/op/STICK/fw" << true << "/media/op/STICK/fw"
                                    << "" << usbChosen << QString();
    QTest::newRow("usb cancelled") << "usb" << Answers{std::nullopt} << "" << false << ""
                                   << "" << usbCancelled << "";
    QTest::newRow("usb cancelled after a good choice: field blank under the message")
        << "usb" << Answers{QStringLiteral("E:\\"), std::nullopt} << "" << false << ""
        << "" << usbCancelled << "";
    QTest::newRow("usb chosen after a cancel")
        << "usb" << Answers{std::nullopt, QStringLiteral("E:\\fw")} << "E:\\fw" << true << "E:\\fw"
        << "" << usbChosen << QString();
}

void StagingPickersTest::pressSequence() {
    QFETCH(QString, button);
    QFETCH(Answers, answers);
    QFETCH(QString, field);
    QFETCH(bool, selected);
    QFETCH(QString, path);
    QFETCH(QString, name);
    QFETCH(QStringList, calls);
    QFETCH(QString, fieldWhileMessage);

    StagingRig rig;
    const Pane pane = PaneOf(button);
    QStringList fieldsUnderMessages;
    rig.surface.onMessageBox = [&](const QString&) {
        fieldsUnderMessages << rig.surface.paneText.value(pane);
    };
    for (const auto& answer : answers) {
        rig.ForgetRecorded();
        fieldsUnderMessages.clear();
        if (button == QLatin1String("usb"))
            rig.surface.folderAnswers << answer;
        else
            rig.surface.fileAnswers << answer;
        Press(rig, button);
    }

    QCOMPARE(rig.surface.calls, calls);
    QCOMPARE(rig.surface.paneText.value(pane), field);
    QVERIFY(!rig.surface.caret.contains(pane)); // set as it is, the caret not placed
    if (fieldWhileMessage.isNull())
        QVERIFY(fieldsUnderMessages.isEmpty());
    else
        QCOMPARE(fieldsUnderMessages, QStringList{fieldWhileMessage});

    const kestrel::StagingChoices& s = rig.staging.Choices();
    if (button == QLatin1String("hw")) {
        QCOMPARE(s.m_bHwSelected, selected);
        QCOMPARE(s.m_strHwPath, path);
        QCOMPARE(s.m_strHwName, name);
    } else if (button == QLatin1String("sw")) {
        QCOMPARE(s.m_bSwSelected, selected);
        QCOMPARE(s.m_strSwPath, path);
        QCOMPARE(s.m_strSwName, name);
    } else {
        QCOMPARE(s.m_bUsbSelected, selected);
        QCOMPARE(s.m_strUsbPath, path);
    }
}

void StagingPickersTest::offeredFilters_data() {
    QTest::addColumn<QString>("button");
    QTest::addColumn<QString>("initialName");
    QTest::addColumn<QStringList>("descriptions");
    QTest::addColumn<QList<QStringList>>("patterns");
    QTest::addColumn<QString>("matchedByFirst");
    QTest::addColumn<QString>("missedByFirst");

    QTest::newRow("hw") << "hw"
                        << "*.rbf" << QStringList{"Raw Binary File (*.rbf)", "All Files (*.*)"}
                        << QList<QStringList>{{"*.rbf"}, {"*"}} << "board_3.rbf"
                        << "board_3.bin";
    QTest::newRow("sw") << "sw"
                        << "vx_server*"
                        << QStringList{"VX Server File (vx_server*)", "All Files (*.*)"}
                        << QList<QStringList>{{"vx_server*"}, {"*"}} << "vx_server_24"
                        << "camera_server";
}

void StagingPickersTest::offeredFilters() {
    QFETCH(QString, button);
    QFETCH(QString, initialName);
    QFETCH(QStringList, descriptions);
    QFETCH(QList<QStringList>, patterns);
    QFETCH(QString, matchedByFirst);
    QFETCH(QString, missedByFirst);

    StagingRig rig;
    Press(rig, button);
    QCOMPARE(rig.surface.fileChooserInitialNames, QStringList{initialName});
    QCOMPARE(rig.surface.fileChooserFilters.size(), 1);
    const auto& offered = rig.surface.fileChooserFilters.front();
    QStringList offeredDescriptions;
    QList<QStringList> offeredPatterns;
    for (const kestrel::FileFilter& filter : offered) {
        offeredDescriptions << filter.description;
        offeredPatterns << filter.patterns;
    }
    QCOMPARE(offeredDescriptions, descriptions);
    QCOMPARE(offeredPatterns, patterns);

    // The first entry narrows; "All Files (*.*)" lists every file, also
    // names without a dot such as vx_server itself.
    QVERIFY(QDir::match(offered[0].patterns, matchedByFirst));
    QVERIFY(!QDir::match(offered[0].patterns, missedByFirst));
    for (const QString& name :
         {matchedByFirst, missedByFirst, QStringLiteral("vx_server"), QStringLiteral("firmware")})
        QVERIFY2(QDir::match(offered[1].patterns, name), qPrintable(name));
}

void StagingPickersTest::folderCancelLeavesFilesAlone() {
    StagingRig rig;
    rig.Choose(QStringLiteral("/fw/board_3.rbf"), QStringLiteral("/fw/vx_server_24"),
               QStringLiteral("E:\\"));
    rig.surface.folderAnswers << std::nullopt;
    rig.staging.ChooseStickFolder();

    QCOMPARE(rig.surface.messageBoxes, QStringList{kNoFolder});
    QCOMPARE(rig.surface.paneText.value(Pane::UsbPath), QString());
    QVERIFY(!rig.staging.Choices().m_bUsbSelected);
    QVERIFY(rig.staging.Choices().m_bHwSelected);
    QVERIFY(rig.staging.Choices().m_bSwSelected);
    QCOMPARE(rig.staging.Choices().m_strHwPath, QStringLiteral("/fw/board_3.rbf"));
    QCOMPARE(rig.staging.Choices().m_strSwPath, QStringLiteral("/fw/vx_server_24"));
    QCOMPARE(rig.surface.paneText.value(Pane::HwFile), QStringLiteral("board_3.rbf"));
    QCOMPARE(rig.surface.paneText.value(Pane::SwFile), QStringLiteral("vx_server_24"));
}

void StagingPickersTest::eachPickerKeepsToItsOwnRow() {
    StagingRig rig;
    rig.Choose(QStringLiteral("/fw/board_3.rbf"), QStringLiteral("/fw/vx_server_24"),
               QStringLiteral("/media/STICK"));
    rig.surface.fileAnswers << std::nullopt;
    rig.staging.ChooseHwFile();
    rig.surface.fileAnswers << std::nullopt;
    rig.staging.ChooseSwFile();

    QCOMPARE(rig.surface.messageBoxes, (QStringList{kNoFile, kNoFile}));
    QVERIFY(!rig.staging.Choices().m_bHwSelected);
    QVERIFY(!rig.staging.Choices().m_bSwSelected);
    QVERIFY(rig.staging.Choices().m_bUsbSelected);
    QCOMPARE(rig.staging.Choices().m_strUsbPath, QStringLiteral("/media/STICK"));
    QCOMPARE(rig.surface.paneText.value(Pane::UsbPath), QStringLiteral("/media/STICK"));

    // The folder picker forgets its whole choice.
    rig.surface.folderAnswers << QStringLiteral("/media/OTHER");
    rig.staging.ChooseStickFolder();
    QCOMPARE(rig.staging.Choices().m_strUsbPath, QStringLiteral("/media/OTHER"));
}

QTEST_MAIN(StagingPickersTest)
#include "staging_pickers_test.moc"
