#include "app/tool_session.h"
#include "camera/run_texts.h"
#include "ip_address_edit.h"
#include "kestrel_flashtool_dlg.h"
#include "pane_edit.h"
#include "session_handlers.h"
#include "sim/sim_thread.h"

#include <QApplication>
#include <QMessageBox>
#include <QProgressBar>
#include <QPushButton>
#include <QTest>
#include <QTimer>

#include <memory>

using kestrel::Pane;
namespace rt = kestrel::runtexts;

namespace {

// The window, the tool's logic behind it, and a camera on loopback: the
// program as the operator runs it, on a port of the test's own.
struct Tool {
    explicit Tool(const kestrel::sim::SimOptions& options) : sim(options) {
        started = sim.Start();
        kestrel::LinkSettings link;
        link.cameraPort = sim.Port();
        kestrel::RunSettings run;
        run.switchPauseMs = 50;
        run.pollIntervalMs = 20;
        session = std::make_unique<kestrel::ToolSession>(dlg, link, run);
        dlg.SetButtonHandlers(kestrel::SessionButtonHandlers(*session));
        dlg.show();
    }
    QString Pane(Pane pane) const { return dlg.PaneWidget(pane)->toPlainText(); }

    kestrel::sim::SimThread sim;
    bool started = false;
    CKestrel_FlashToolDlg dlg;
    std::unique_ptr<kestrel::ToolSession> session;
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
};

void WindowSessionTest::connectFillsThePanes() {
    Tool tool(FastCamera());
    QVERIFY(tool.started);
    tool.dlg.CameraAddressEdit()->setAddress(QStringLiteral("127.0.0.1"));
    QTest::mouseClick(tool.dlg.ConnectButton(), Qt::LeftButton);

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

    QTest::mouseClick(tool.dlg.ConnectButton(), Qt::LeftButton);
    QCOMPARE(tool.dlg.ConnectButton()->text(), QStringLiteral("Connect"));
    QTRY_COMPARE(tool.sim.ConnectionsOpen(), 0);
}

void WindowSessionTest::closingDuringARunWaitsForItsEnd() {
    Tool tool(FastCamera());
    QVERIFY(tool.started);
    tool.dlg.CameraAddressEdit()->setAddress(QStringLiteral("127.0.0.1"));
    QTest::mouseClick(tool.dlg.ConnectButton(), Qt::LeftButton);
    QVERIFY(tool.session->State().m_bConnected);

    bool escapedDuringRun = false;
    QTimer::singleShot(200, [&] {
        escapedDuringRun = tool.session->State().m_bUpdateRunning;
        QTest::keyClick(&tool.dlg, Qt::Key_Escape);
    });
    QTest::mouseClick(tool.dlg.FwUpdateButton(), Qt::LeftButton);

    QVERIFY(escapedDuringRun);
    // The run went on to its end while the window waited to close.
    QVERIFY(Shown(tool.session->State().m_strLog).endsWith(Shown(rt::kPowerCycle)));
    QCOMPARE(tool.dlg.findChild<QProgressBar*>(QStringLiteral("IDC_PROGRESS"))->value(), 100);
    QVERIFY(!tool.dlg.isVisible());
    QCOMPARE(tool.dlg.result(), int(QDialog::Rejected));
}

void WindowSessionTest::disconnectDuringARunKeepsCloseFromTheCamera() {
    Tool tool(FastCamera());
    QVERIFY(tool.started);
    tool.dlg.CameraAddressEdit()->setAddress(QStringLiteral("127.0.0.1"));
    QTest::mouseClick(tool.dlg.ConnectButton(), Qt::LeftButton);
    const qsizetype before = tool.sim.ReceivedLines().size();

    // Disconnect pressed in the middle of the run: CLOSE is kept from the
    // camera, the run reports that the camera may still be programming.
    QString warning;
    QTimer::singleShot(200, [&] { QTest::mouseClick(tool.dlg.ConnectButton(), Qt::LeftButton); });
    QTimer watcher;
    QObject::connect(&watcher, &QTimer::timeout, [&] {
        if (auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget())) {
            warning = box->text();
            box->accept();
        }
    });
    watcher.start(20);
    QTest::mouseClick(tool.dlg.FwUpdateButton(), Qt::LeftButton);
    watcher.stop();

    QCOMPARE(warning, rt::kDisconnectedMessage);
    QVERIFY(Shown(tool.Pane(Pane::Log)).endsWith(Shown(rt::kDisconnected)));
    QCOMPARE(tool.dlg.ConnectButton()->text(), QStringLiteral("Connect"));
    for (const QByteArray& line : tool.sim.ReceivedLines().mid(before))
        QVERIFY2(line.startsWith("CAM_") && line != "CLOSE", line.constData());
    QVERIFY(!tool.sim.ReceivedLines().contains("CLOSE"));
}

QTEST_MAIN(WindowSessionTest)
#include "window_session_test.moc"
