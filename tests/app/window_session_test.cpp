#include "firmware_staging.h"
#include "camera.h"
#include "csv_line.h"
#include "history_dlg.h"
#include "history_failure.h"
#include "history_read.h"
#include "history_recorder.h"
#include "file_choosers.h"
#include "ip_address_edit.h"
#include "kestrel_flashtool_dlg.h"
#include "modal_watch.h"
#include "pane_edit.h"
#include "run_texts.h"
#include "scratch_files.h"
#include "session_handlers.h"
#include "signify_keys.h"
#include "sim_thread.h"
#include "tool_session.h"
#include "window_history.h"

#include <QApplication>
#include <QCryptographicHash>
#include <QDir>
#include <QElapsedTimer>
#include <QFileDialog>
#include <QFile>
#include <QFileInfo>
#include <QLabel>
#include <QMessageBox>
#include <QProgressBar>
#include <QPushButton>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <QTreeWidget>

#include <algorithm>
#include <memory>

using kestrel::Camera;
using kestrel::Pane;
using kestrel::RunOutcome;
namespace texts = kestrel::texts;

namespace {

// Choosers answered by a script.
struct ScriptedChoosers : kestrel::FileChooserPort {
    std::optional<QString> ChooseExistingFile(const QString&,
                                              const QList<kestrel::FileFilter>&) override {
        return files.takeFirst();
    }
    std::optional<QString> ChooseFolder() override { return folder; }

    QStringList files;
    QString folder;
};

// The window, the tool's logic behind it, and a camera on loopback: the
// program as the operator runs it, on a port of the test's own.
struct Tool {
    // With scripted, the choosers are answered by the test.
    explicit Tool(const kestrel::sim::SimOptions& options, bool scripted = false,
                  kestrel::RunSettings run = Quick())
        : sim(options) {
        if (scripted)
            choosers = std::make_unique<ScriptedChoosers>();
        started = sim.Start();
        kestrel::LinkSettings link;
        link.cameraPort = sim.Port();
        session = std::make_unique<kestrel::ToolSession>(
            dlg, choosers ? static_cast<kestrel::FileChooserPort&>(*choosers) : windowChoosers,
            link, run);
        session->KeepHistory(history);
        kestrel::BindSession(*session, dlg);
        dlg.show();
    }
    static kestrel::RunSettings Quick() {
        kestrel::RunSettings run;
        run.switchPauseMs = 50;
        run.pollIntervalMs = 20;
        return run;
    }
    QString Pane(Pane pane) const { return dlg.PaneWidget(pane)->toPlainText(); }
    Camera& TheCamera() { return session->TheCamera(); }
    // Clicks Connect and serves events until the click's work is over: the
    // look at the camera, or the disconnect.
    void ClickConnect() {
        QSignalSpy looked(&TheCamera(), &Camera::connectEnded);
        QSignalSpy closed(&TheCamera(), &Camera::disconnected);
        QTest::mouseClick(dlg.ConnectButton(), Qt::LeftButton);
        QTRY_VERIFY_WITH_TIMEOUT(!looked.isEmpty() || !closed.isEmpty(), 15000);
    }
    // Clicks HW Firmware Update and serves events until the run has ended.
    void ClickUpdate() {
        QSignalSpy ended(&TheCamera(), &Camera::runEnded);
        QTest::mouseClick(dlg.FwUpdateButton(), Qt::LeftButton);
        QVERIFY(ended.wait(60000));
    }

    kestrel::sim::SimThread sim;
    bool started = false;
    CKestrel_FlashToolDlg dlg;
    kestrel::FileChoosers windowChoosers{&dlg};
    std::unique_ptr<ScriptedChoosers> choosers;
    QTemporaryDir historyDir;
    kestrel::HistoryRecorder history{kestrel::history::kWindow,
                                     historyDir.filePath(QStringLiteral("history.sqlite"))};
    std::unique_ptr<kestrel::ToolSession> session;
};

// The operations of the history, newest first, once it holds at least count
// and all have ended.
std::vector<kestrel::Operation> Ended(const QString& path, std::size_t count) {
    std::vector<kestrel::Operation> ops;
    const auto ended = [&] {
        ops = kestrel::ReadHistory(path, {}).operations;
        return ops.size() >= count &&
               std::all_of(ops.begin(), ops.end(), [](auto& op) { return op.end; });
    };
    return QTest::qWaitFor(ended, 10000) ? ops : std::vector<kestrel::Operation>();
}

// While it lives, every message box that comes up is read and dismissed.
struct MessageBoxes {
    MessageBoxes() {
        QObject::connect(&watch, &QTimer::timeout, [this] {
            if (auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget())) {
                texts << box->text();
                box->accept();
            }
        });
        watch.start(10);
    }
    QStringList texts;
    QTimer watch;
};

// Plain-text panes show CR LF as one line break.
QString Shown(const QString& text) {
    QString shown = text;
    return shown.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
}

kestrel::sim::SimOptions FastCamera() {
    kestrel::sim::SimOptions options;
    options.UseFastTiming();
    return options;
}

} // namespace

class WindowSessionTest : public QObject {
    Q_OBJECT
private slots:
    void connectFillsThePanes();
    void closingDuringARunWaitsForItsEnd();
    void disconnectDuringARunKeepsCloseFromTheCamera();
    void secondPressWhileStartingIsIgnored_data();
    void secondPressWhileStartingIsIgnored();
    void copyDuringARunKeepsTheRunInTheLog();
    void closingDuringACopyWaitsForItsEnd();
    void copySignedFirmware_data();
    void copySignedFirmware();
    void refusedConnectAfterACopy();
    void connectingAgainTellsTheVersion_data();
    void connectingAgainTellsTheVersion();
    void chooserHeldOpenDuringARun();
    void historyOfAnUpdate_data();
    void historyOfAnUpdate();
};

void WindowSessionTest::connectFillsThePanes() {
    Tool tool(FastCamera());
    QVERIFY(tool.started);
    tool.dlg.CameraAddressEdit()->setAddress(QStringLiteral("127.0.0.1"));
    tool.ClickConnect();

    QCOMPARE(tool.dlg.ConnectButton()->text(), QStringLiteral("Disconnect"));
    QCOMPARE(tool.Pane(Pane::Log),
             QStringLiteral("Connected to camera n\u00B021040017 @ IP=127.0.0.1\n"));
    QCOMPARE(tool.Pane(Pane::Info),
             QStringLiteral("Camera Serial Number = 21040017\n"
                            "Camera Type               = VX340\n"
                            "Color Sensor / Bayer   = RGGB\n"
                            "\n"
                            "Hardware Firmware (firm.rbf)    = 1.2A.3F\n"
                            "Software Firmware  (vx_server) = vx_server 3.8.2 build 1187"));

    tool.ClickConnect();
    QCOMPARE(tool.dlg.ConnectButton()->text(), QStringLiteral("Connect"));
    QTRY_COMPARE(tool.sim.ConnectionsOpen(), 0);
}

void WindowSessionTest::closingDuringARunWaitsForItsEnd() {
    Tool tool(FastCamera());
    QVERIFY(tool.started);
    tool.dlg.CameraAddressEdit()->setAddress(QStringLiteral("127.0.0.1"));
    tool.ClickConnect();
    QVERIFY(tool.TheCamera().Connected());

    QSignalSpy ended(&tool.TheCamera(), &Camera::runEnded);
    QSignalSpy polled(&tool.TheCamera(), &Camera::figuresRead);
    QTest::mouseClick(tool.dlg.FwUpdateButton(), Qt::LeftButton);
    QVERIFY(polled.wait());
    QVERIFY(tool.TheCamera().UpdateRunning());
    QTest::keyClick(&tool.dlg, Qt::Key_Escape);
    QVERIFY(tool.dlg.isVisible()); // the close waits for the run
    QVERIFY(ended.wait(60000));

    // The run went on to its end while the window waited to close.
    QVERIFY(Shown(tool.session->Log().Text()).endsWith(Shown(texts::kPowerCycle)));
    QCOMPARE(tool.dlg.findChild<QProgressBar*>(QStringLiteral("IDC_PROGRESS"))->value(), 100);
    QVERIFY(!tool.dlg.isVisible());
    QCOMPARE(tool.dlg.result(), int(QDialog::Rejected));
}

void WindowSessionTest::disconnectDuringARunKeepsCloseFromTheCamera() {
    Tool tool(FastCamera());
    QVERIFY(tool.started);
    tool.dlg.CameraAddressEdit()->setAddress(QStringLiteral("127.0.0.1"));
    tool.ClickConnect();
    const qsizetype before = tool.sim.ReceivedLines().size();

    // Disconnect pressed in the middle of the run: CLOSE is kept from the
    // camera, the run reports that the camera may still be programming.
    QSignalSpy ended(&tool.TheCamera(), &Camera::runEnded);
    QSignalSpy polled(&tool.TheCamera(), &Camera::figuresRead);
    MessageBoxes boxes;
    QTest::mouseClick(tool.dlg.FwUpdateButton(), Qt::LeftButton);
    QVERIFY(polled.wait());
    QTest::mouseClick(tool.dlg.ConnectButton(), Qt::LeftButton);
    QVERIFY(ended.wait(60000));
    QTRY_COMPARE(boxes.texts.size(), 1);

    QCOMPARE(boxes.texts, QStringList{texts::kDisconnectedMessage});
    QVERIFY(Shown(tool.Pane(Pane::Log)).endsWith(Shown(texts::kDisconnected)));
    QCOMPARE(tool.dlg.ConnectButton()->text(), QStringLiteral("Connect"));
    for (const QByteArray& line : tool.sim.ReceivedLines().mid(before))
        QVERIFY2(line.startsWith("CAM_") && line != "CLOSE", line.constData());
    QVERIFY(!tool.sim.ReceivedLines().contains("CLOSE"));
}

void WindowSessionTest::secondPressWhileStartingIsIgnored_data() {
    QTest::addColumn<int>("atLine"); // pressed again once the camera has this many lines
    QTest::newRow("during the probe") << 1;
    QTest::newRow("during the stop commands") << 3;
}

void WindowSessionTest::secondPressWhileStartingIsIgnored() {
    QFETCH(int, atLine);
    kestrel::sim::SimOptions options = FastCamera();
    options.slowBytesMs = 2; // each reply takes a while, as a camera's does
    Tool tool(options);
    QVERIFY(tool.started);
    tool.dlg.CameraAddressEdit()->setAddress(QStringLiteral("127.0.0.1"));
    tool.ClickConnect();
    QVERIFY(tool.TheCamera().Connected());
    const qsizetype before = tool.sim.ReceivedLines().size();

    bool pressedAgain = false;
    QTimer watcher;
    QObject::connect(&watcher, &QTimer::timeout, &watcher, [&] {
        if (pressedAgain || tool.sim.ReceivedLines().size() < before + atLine)
            return;
        pressedAgain = true;
        QTest::mouseClick(tool.dlg.FwUpdateButton(), Qt::LeftButton);
    });
    watcher.start(1);
    tool.ClickUpdate();
    watcher.stop();

    QVERIFY(pressedAgain);
    const QByteArrayList lines = tool.sim.ReceivedLines().mid(before);
    QCOMPARE(lines.count("CAM_FIRMWAREUPDATE 0"), 1);
    QCOMPARE(lines.count("CAM_PLAYSTOP"), 1);
    const QString log = Shown(tool.Pane(Pane::Log));
    QVERIFY2(log.startsWith(Shown(texts::kBanner + texts::kStarting)), qPrintable(log));
    QVERIFY2(log.endsWith(Shown(texts::kPowerCycle)), qPrintable(log));
    QCOMPARE(log.count(Shown(texts::kBanner)), 1);
    QVERIFY(!tool.session->TheCamera().UpdateRunning());

    // The camera takes commands again: Disconnect says goodbye.
    tool.ClickConnect();
    QTRY_COMPARE(tool.sim.ConnectionsOpen(), 0);
    QCOMPARE(tool.sim.ReceivedLines().last(), QByteArray("CLOSE"));
}

void WindowSessionTest::copyDuringARunKeepsTheRunInTheLog() {
    QTemporaryDir scratch;
    QVERIFY(scratch.isValid());
    const QString hw = scratch.filePath(QStringLiteral("camera_2_6.rbf"));
    const QString sw = scratch.filePath(QStringLiteral("vx_server_3_9"));
    const QString stick = scratch.filePath(QStringLiteral("stick"));
    QVERIFY(QDir().mkpath(stick));
    for (const QString& path : {hw, sw}) {
        QFile file(path);
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write(QByteArray(4096, 'k') + path.toUtf8());
    }

    Tool tool(FastCamera(), true);
    QVERIFY(tool.started);
    // The three choices, made with the pickers.
    tool.choosers->files = {hw, sw};
    tool.choosers->folder = stick;
    tool.session->ChooseHwFile();
    tool.session->ChooseSwFile();
    tool.session->ChooseStickFolder();

    tool.dlg.CameraAddressEdit()->setAddress(QStringLiteral("127.0.0.1"));
    tool.ClickConnect();
    MessageBoxes boxes;
    QSignalSpy ended(&tool.TheCamera(), &Camera::runEnded);
    QSignalSpy polled(&tool.TheCamera(), &Camera::figuresRead);
    QTest::mouseClick(tool.dlg.FwUpdateButton(), Qt::LeftButton);
    QVERIFY(polled.wait());
    const bool copiedDuringRun = tool.TheCamera().UpdateRunning();
    QTest::mouseClick(tool.dlg.findChild<QPushButton*>(QStringLiteral("IDC_COPY_TO_USB")),
                      Qt::LeftButton);
    QVERIFY(ended.wait(60000));
    QTRY_COMPARE(boxes.texts.size(), 1);

    QVERIFY(copiedDuringRun);
    QTRY_COMPARE(boxes.texts.size(), 1); // the copy may end after the run
    const QString report = boxes.texts.first();
    // The run's warning and lines stayed, the copy's report came in a message.
    const QString log = Shown(tool.Pane(Pane::Log));
    QVERIFY2(log.startsWith(Shown(texts::kBanner + texts::kStarting + texts::kEraseHeading)),
             qPrintable(log));
    QVERIFY2(log.endsWith(Shown(texts::kPhaseOk + texts::kFinished + texts::kPowerCycle)),
             qPrintable(log));
    QVERIFY(!log.contains(QStringLiteral("Copying")));
    QVERIFY2(report.startsWith(QStringLiteral("Copying new files to \"%1\" ...\n\t=> camera_2_6.rbf "
                                              "copied\n\t=> vx_server_3_9 copied\n\nNew files "
                                              "Copied successfully\n")
                                   .arg(stick)),
             qPrintable(report));
    QCOMPARE(QFileInfo(stick + QStringLiteral("/firm.rbf")).size(), QFileInfo(hw).size());
    QCOMPARE(QFileInfo(stick + QStringLiteral("/vx_server")).size(), QFileInfo(sw).size());
}

void WindowSessionTest::closingDuringACopyWaitsForItsEnd() {
    // The copy goes on after Copy's handler has returned: a close asked for
    // meanwhile waits until the files on the stick are whole.
    namespace kt = kestrel::test;
    QTemporaryDir scratch;
    const QString stick = scratch.filePath("stick");
    const QStringList files{scratch.filePath("camera_2_6.rbf"), scratch.filePath("vx_server_3_9")};
    const QByteArray hw(32 * 1024 * 1024, 'h');
    QVERIFY(QDir().mkpath(stick) && kt::WriteFile(files[0], hw) && kt::WriteFile(files[1], "sw"));
    Tool tool(FastCamera(), true); // the camera is not asked
    tool.choosers->files = files;
    tool.choosers->folder = stick;
    tool.session->ChooseHwFile();
    tool.session->ChooseSwFile();
    tool.session->ChooseStickFolder();
    QSignalSpy copied(&tool.session->Staging(), &kestrel::FirmwareStaging::copyEnded);
    QTest::mouseClick(tool.dlg.findChild<QPushButton*>(QStringLiteral("IDC_COPY_TO_USB")),
                      Qt::LeftButton);
    QTest::keyClick(&tool.dlg, Qt::Key_Escape);
    QVERIFY(copied.isEmpty());
    QVERIFY(tool.dlg.isVisible()); // the close waits for the copy
    QTRY_VERIFY_WITH_TIMEOUT(!tool.dlg.isVisible(), 60000);
    QCOMPARE(copied.size(), 1);
    QCOMPARE(kt::ReadAll(stick + "/firm.rbf"), hw);
}

void WindowSessionTest::copySignedFirmware_data() {
    QTest::addColumn<QString>("signer"); // the key that signs SHA256SUMS; only maker is trusted
    QTest::newRow("the maker's key: the report names it") << "maker";
    QTest::newRow("an unknown key: refused in a message box") << "stranger";
}

void WindowSessionTest::copySignedFirmware() {
    QFETCH(QString, signer);
    namespace kt = kestrel::test;
    if (kt::SignifyProgram().isEmpty())
        QSKIP("signify-openbsd is not installed (Debian package signify-openbsd)");
    QTemporaryDir scratch;
    const QString keys = scratch.filePath("keys");
    const QString stick = scratch.filePath("stick");
    const QStringList files{scratch.filePath("camera_2_6.rbf"), scratch.filePath("vx_server_3_9")};
    QVERIFY(QDir().mkpath(keys) && QDir().mkpath(stick));
    QVERIFY(kt::WriteFile(files[0], QByteArray(5000, 'h')) && kt::WriteFile(files[1], "sw"));
    const QString number = kt::SignFiles(files, signer == "maker" ? keys : scratch.path(), signer);
    qputenv("KESTREL_FLASH_KEYS", keys.toLocal8Bit()); // gone with the test: then no keys

    Tool tool(FastCamera(), true); // the camera is not asked
    tool.choosers->files = files;
    tool.choosers->folder = stick;
    tool.session->ChooseHwFile();
    tool.session->ChooseSwFile();
    tool.session->ChooseStickFolder();
    MessageBoxes boxes;
    QTest::mouseClick(tool.dlg.findChild<QPushButton*>(QStringLiteral("IDC_COPY_TO_USB")),
                      Qt::LeftButton);

    if (signer == "maker") { // the copy ends while the window goes on
        QTRY_COMPARE(Shown(tool.Pane(Pane::Log))
                         .count("\t   signed by key " + number + " (maker release key)\n"),
                     2);
        QCOMPARE(boxes.texts, QStringList());
        QCOMPARE(kt::ReadAll(stick + "/firm.rbf"), kt::ReadAll(files[0]));
        // The history holds the copy: each file's SHA-256 and the key that signed them.
        const std::vector<kestrel::Operation> ops = Ended(tool.history.Path(), 1);
        QVERIFY(ops.size() == 1 && ops[0].end->changed && ops[0].Result() == "ok");
        const kestrel::StickFile& sw = ops[0].end->stickFiles.at(1);
        QCOMPARE(QString::fromStdString(ops[0].end->signerKey + " " + sw.name + " " + sw.sha256),
                 number + " vx_server_3_9 " +
                     QCryptographicHash::hash("sw", QCryptographicHash::Sha256).toHex());
        return;
    }
    // The whole sentence is the staging table's; here: the box, and the stick left alone.
    const QString why = "\"" + QDir::toNativeSeparators(scratch.filePath("SHA256SUMS.sig")) +
                        "\" is signed by key " + number + ", which is none of the trusted keys";
    QTRY_COMPARE(boxes.texts.size(), 1);
    const QString log = Shown(tool.Pane(Pane::Log));
    QVERIFY2(boxes.texts[0].contains("USB stick failed: camera_2_6.rbf: " + why), qPrintable(log));
    QVERIFY(log.contains("\t=> camera_2_6.rbf NOT copied: " + why));
    QCOMPARE(kt::FolderEntries(stick), QStringList());
    const std::vector<kestrel::Operation> ops = Ended(tool.history.Path(), 1);
    QVERIFY(ops.size() == 1 && !ops[0].end->changed);
    QCOMPARE(ops[0].begin.action + " " + ops[0].Result(), std::string("stage copy-failed"));
}

void WindowSessionTest::refusedConnectAfterACopy() {
    // A camera's identity and a copy's full bar; then a connect to another
    // address is refused: neither the bar nor the pane shows what went before.
    QTemporaryDir scratch;
    const QStringList files{scratch.filePath("board.rbf"), scratch.filePath("vx_server_2")};
    for (const QString& path : files) {
        QFile file(path);
        QVERIFY(file.open(QIODevice::WriteOnly) && file.write("firmware") == 8);
    }
    Tool tool(FastCamera(), true);
    QVERIFY(tool.started);
    tool.dlg.CameraAddressEdit()->setAddress(QStringLiteral("127.0.0.1"));
    tool.ClickConnect();
    tool.ClickConnect(); // disconnect
    QVERIFY(tool.Pane(Pane::Info).contains(QStringLiteral("21040017")));
    tool.choosers->files = files;
    tool.choosers->folder = scratch.path();
    tool.session->ChooseHwFile();
    tool.session->ChooseSwFile();
    tool.session->ChooseStickFolder();
    tool.session->CopyToStick();
    const auto* bar = tool.dlg.findChild<QProgressBar*>(QStringLiteral("IDC_PROGRESS"));
    QTRY_COMPARE(bar->value(), 100);

    tool.dlg.CameraAddressEdit()->setAddress(QStringLiteral("127.0.0.2")); // nothing listens
    MessageBoxes boxes;
    tool.ClickConnect();
    QTRY_COMPARE(boxes.texts.size(), 1);
    QCOMPARE(bar->value(), 0);
    QCOMPARE(tool.Pane(Pane::Info), QString());
}

void WindowSessionTest::connectingAgainTellsTheVersion_data() {
    QTest::addColumn<QByteArray>("newVersion"); // the camera's after the run
    QTest::addColumn<QString>("line");
    QTest::addColumn<QString>("verdict"); // the history's result of the power cycle
    QTest::newRow("new firmware") << QByteArray("2b")
                                  << "Hardware firmware 1.2A.3F -> 1.2B.05: the new firmware is "
                                     "running."
                                  << "ok";
    QTest::newRow("same firmware") << QByteArray("2a")
                                   << "Hardware firmware still 1.2A.3F: the update did not take "
                                      "effect; run the firmware update again."
                                   << "version-unchanged";
    QTest::newRow("no version") << QByteArray("ERR") // 1.ERR.05
                                << "The camera gave no hardware firmware version: the new "
                                   "firmware is not confirmed."
                                << "version-unread";
}

void WindowSessionTest::connectingAgainTellsTheVersion() {
    QFETCH(QByteArray, newVersion);
    QFETCH(QString, line);
    QFETCH(QString, verdict);
    kestrel::sim::SimOptions options = FastCamera();
    options.newHwVersion.parts = {"1", newVersion, newVersion == "2a" ? "3f" : "05"};
    options.powerCycleAfterMs = 100; // the operator power-cycles the camera
    options.powerOffMs = 500;
    Tool tool(options);
    QVERIFY(tool.started);
    tool.dlg.CameraAddressEdit()->setAddress(QStringLiteral("127.0.0.1"));
    tool.ClickConnect();
    tool.ClickUpdate();
    QVERIFY(Shown(tool.Pane(Pane::Log)).endsWith(Shown(texts::kPowerCycle)));
    QTRY_VERIFY(!tool.session->TheCamera().Connected()); // the camera went off

    // Connect is pressed until the camera is back (refusals are dismissed).
    MessageBoxes boxes;
    const auto pressConnect = [&] {
        tool.ClickConnect();
        return tool.TheCamera().Connected();
    };
    QTRY_VERIFY_WITH_TIMEOUT(pressConnect(), 10000);
    QCOMPARE(tool.Pane(Pane::Log),
             QStringLiteral("Connected to camera n\u00B021040017 @ IP=127.0.0.1\n") + line +
                 QLatin1Char('\n'));
    // The verdict follows the run in the history (one per connection above).
    const std::vector<kestrel::Operation> ops = Ended(tool.history.Path(), 2);
    QVERIFY(ops.size() >= 2 && ops.back().Result() == "ok");
    QCOMPARE(ops.front().begin.action + " " + ops.front().Result() + " " +
                 ops.front().end->hardwareBefore,
             "power-cycle " + verdict.toStdString() + " 1.2A.3F");
}

void WindowSessionTest::chooserHeldOpenDuringARun() {
    // The operator presses "Select HW-FW file" while the camera erases and
    // leaves the chooser open for 12 s; meanwhile the camera finishes
    // erasing and programming and goes idle. The run goes on under the
    // chooser and ends normally, with the power-cycle instruction.
    kestrel::sim::SimOptions options;
    options.eraseMs = 3000;
    options.programMs = 5000;
    options.lingerMs = 2000;
    kestrel::RunSettings run = Tool::Quick();
    run.pollIntervalMs = 100;
    Tool tool(options, false, run);
    QVERIFY(tool.started);
    tool.dlg.CameraAddressEdit()->setAddress(QStringLiteral("127.0.0.1"));
    tool.ClickConnect();
    QSignalSpy ended(&tool.TheCamera(), &Camera::runEnded);
    QSignalSpy polled(&tool.TheCamera(), &Camera::figuresRead);
    QTest::mouseClick(tool.dlg.FwUpdateButton(), Qt::LeftButton);
    QVERIFY(polled.wait());

    QElapsedTimer held;
    qsizetype pollsBefore = -1;
    qsizetype pollsWhileOpen = -1;
    bool endedWhileOpen = false;
    QString logWhileOpen;
    kestrel::test::WhenShown<QFileDialog>([&](QFileDialog* chooser) {
        held.start();
        pollsBefore = polled.size();
        QTimer::singleShot(12000, Qt::PreciseTimer, chooser, [&, chooser] {
            pollsWhileOpen = polled.size() - pollsBefore;
            endedWhileOpen = !ended.isEmpty();
            logWhileOpen = tool.Pane(Pane::Log);
            chooser->reject();
        });
    });
    MessageBoxes boxes; // the chooser closed without a choice says so
    QTest::mouseClick(tool.dlg.SelectHwButton(), Qt::LeftButton);

    QVERIFY(held.elapsed() >= 12000);
    QVERIFY(endedWhileOpen);
    QCOMPARE(ended.first().at(0).value<RunOutcome>(), RunOutcome::Finished);
    QVERIFY2(Shown(logWhileOpen)
                 .endsWith(Shown(texts::kPhaseOk + texts::kFinished + texts::kPowerCycle)),
             qPrintable(logWhileOpen));
    // About one poll each 100 ms while the camera still had figures to show.
    QVERIFY2(pollsWhileOpen >= 20, qPrintable(QString::number(pollsWhileOpen)));
    QCOMPARE(tool.dlg.findChild<QProgressBar*>(QStringLiteral("IDC_PROGRESS"))->value(), 100);
    QCOMPARE(tool.sim.ReceivedLines().count("CAM_FIRMWAREUPDATE 0"), 1);
}

void WindowSessionTest::historyOfAnUpdate_data() {
    QTest::addColumn<bool>("writable"); // else the history is a file of another kind
    QTest::newRow("written") << true;
    QTest::newRow("not a database") << false;
}

void WindowSessionTest::historyOfAnUpdate() {
    QFETCH(bool, writable);
    Tool tool(FastCamera());
    QVERIFY(tool.started);
    const QString path = tool.history.Path();
    QFile other(path);
    QVERIFY(writable || (other.open(QIODevice::WriteOnly) && other.write("not a history") > 0 &&
                         other.flush()));
    tool.dlg.CameraAddressEdit()->setAddress(QStringLiteral("127.0.0.1"));
    tool.ClickConnect();
    QSignalSpy ended(&tool.TheCamera(), &Camera::runEnded);
    tool.ClickUpdate();
    QCOMPARE(ended.first().first().value<RunOutcome>(), RunOutcome::Finished);
    // Once the end is written (or failed to be), the History box.
    const auto ops = writable ? Ended(path, 1) : std::vector<kestrel::Operation>();
    QCOMPARE(ops.size(), std::size_t(writable));
    QCOMPARE(tool.history.Finish(), writable);
    CHistoryDlg dialog(path, &tool.dlg);
    QSignalSpy shown(&dialog, &CHistoryDlg::shown);
    QVERIFY(shown.wait());
    if (!writable) { // told once, in the log, and in the box
        QCoreApplication::sendPostedEvents();
        const QString sentence =
            kestrel::HistorySentence(path, kestrel::HistoryDoing::Open,
                                     QStringLiteral("the file is not an SQLite database"));
        QCOMPARE(tool.session->Log().Text().count(kestrel::texts::HistoryNotWritten(sentence)), 1);
        QCOMPARE(dialog.StatusLabel()->text(), sentence);
        return;
    }
    QCOMPARE(dialog.OperationList()->topLevelItemCount(), 1);
    QStringList row;
    for (int column = 1; column < 12; ++column)
        row << dialog.OperationList()->topLevelItem(0)->text(column);
    QCOMPARE(row.join(QLatin1Char('|')),
             QString::fromStdString(ops[0].begin.bench + "|" + ops[0].begin.operatorName) +
                 "|window|update|21040017|VX340|1.2A.3F||ok|yes|" +
                 QString::fromStdString(kestrel::OperationCsvFields(ops[0])[15]));
    QSignalSpy exported(&dialog, &CHistoryDlg::exported);
    QFile csv(tool.historyDir.filePath(QStringLiteral("export.csv")));
    dialog.ExportTo(csv.fileName());
    QVERIFY(exported.wait() && exported.first().first().toBool() && csv.open(QIODevice::ReadOnly));
    QCOMPARE(csv.readAll().toStdString(), kestrel::OperationsCsv(ops));
}

QTEST_MAIN(WindowSessionTest)
#include "window_session_test.moc"
