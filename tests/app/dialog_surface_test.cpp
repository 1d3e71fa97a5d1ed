#include "ip_address_edit.h"
#include "kestrel_flashtool_dlg.h"
#include "modal_watch.h"
#include "pane_edit.h"

#include <QAbstractButton>
#include <QLabel>
#include <QMessageBox>
#include <QProgressBar>
#include <QPushButton>
#include <QScrollBar>
#include <QTest>
#include <QTimer>

using kestrel::Pane;

Q_DECLARE_METATYPE(kestrel::Pane)

class DialogSurfaceTest : public QObject {
    Q_OBJECT

private slots:
    void initTestCase();
    void paneRouting_data();
    void paneRouting();
    void showAtEndInTheLogKeepsTheLastLineVisible();
    void setPaneTextLeavesTheCaret();
    void connectCaption();
    void cameraAddress();
    void progress_data();
    void progress();
    void messageBox_data();
    void messageBox();
};

void DialogSurfaceTest::initTestCase() {
    // As the tool sets it; message boxes still take the executable's name.
    QCoreApplication::setApplicationName(QStringLiteral("Kestrel_FlashTool"));
}

void DialogSurfaceTest::paneRouting_data() {
    QTest::addColumn<Pane>("pane");
    QTest::addColumn<QString>("control");
    QTest::newRow("log") << Pane::Log << "IDC_LOG";
    QTest::newRow("info") << Pane::Info << "IDC_INFO";
    QTest::newRow("hw file") << Pane::HwFile << "IDC_HW_FILE";
    QTest::newRow("sw file") << Pane::SwFile << "IDC_SW_FILE";
    QTest::newRow("usb path") << Pane::UsbPath << "IDC_USB_PATH";
}

void DialogSurfaceTest::paneRouting() {
    QFETCH(Pane, pane);
    QFETCH(QString, control);
    CKestrel_FlashToolDlg dlg;
    kestrel::WindowSurface& surface = dlg;
    const QString text = QStringLiteral("Serial : <b>42</b>\r\nModel : 7\r\n");
    surface.ShowAtEnd(pane, text);
    for (auto* edit : dlg.findChildren<kestrel::PaneEdit*>()) {
        const bool target = edit->objectName() == control;
        QCOMPARE(edit->toPlainText(),
                 target ? QStringLiteral("Serial : <b>42</b>\nModel : 7\n") : QString());
    }
    auto* edit = dlg.findChild<kestrel::PaneEdit*>(control);
    QCOMPARE(edit->textCursor().position(), edit->document()->characterCount() - 1);
    surface.ShowTextWithCaret(pane, text, 0);
    QCOMPARE(edit->textCursor().position(), 0);
    surface.SetPaneText(pane, QStringLiteral("board.rbf"));
    QCOMPARE(edit->toPlainText(), QStringLiteral("board.rbf"));
}

void DialogSurfaceTest::showAtEndInTheLogKeepsTheLastLineVisible() {
    CKestrel_FlashToolDlg dlg;
    dlg.show();
    QVERIFY(QTest::qWaitForWindowExposed(&dlg));
    QString log = QStringLiteral("!! DO NOT POWER OFF THE CAMERA !!\r\n\r\n");
    for (int i = 1; i <= 40; ++i)
        log += QStringLiteral("page %1 of 40\r\n").arg(i);
    dlg.ShowAtEnd(Pane::Log, log);
    kestrel::PaneEdit* pane = dlg.PaneWidget(Pane::Log);
    QVERIFY(pane->verticalScrollBar()->value() > 0);
    QVERIFY(pane->viewport()->rect().contains(pane->cursorRect()));
    // The banner has scrolled out at the top.
    QVERIFY(pane->cursorForPosition(QPoint(3, 3)).blockNumber() > 0);
}

void DialogSurfaceTest::setPaneTextLeavesTheCaret() {
    CKestrel_FlashToolDlg dlg;
    dlg.ShowTextWithCaret(Pane::Log, QStringLiteral("Connected to camera\r\n"), 3);
    dlg.SetPaneText(Pane::Log, QStringLiteral("Copying new files to \"E:\\\" ...\r\n"));
    QCOMPARE(dlg.PaneWidget(Pane::Log)->textCursor().position(), 3);
}

void DialogSurfaceTest::connectCaption() {
    CKestrel_FlashToolDlg dlg;
    dlg.SetConnectCaption(QStringLiteral("Disconnect"));
    QCOMPARE(dlg.ConnectButton()->text(), QStringLiteral("Disconnect"));
    QCOMPARE(dlg.ConnectButton()->accessibleName(), QStringLiteral("Disconnect"));
    dlg.SetConnectCaption(QStringLiteral("Connect"));
    QCOMPARE(dlg.ConnectButton()->text(), QStringLiteral("Connect"));
    QCOMPARE(dlg.ConnectButton()->accessibleName(), QStringLiteral("Connect"));
}

void DialogSurfaceTest::cameraAddress() {
    CKestrel_FlashToolDlg dlg;
    QCOMPARE(dlg.ReadCameraAddress(), QStringLiteral("0.0.0.0"));
    dlg.CameraAddressEdit()->setAddress(QStringLiteral("10.0.0.5"));
    QCOMPARE(dlg.ReadCameraAddress(), QStringLiteral("10.0.0.5"));
    dlg.CameraAddressEdit()->setAddress(QStringLiteral("10"));
    QCOMPARE(dlg.ReadCameraAddress(), QStringLiteral("10.0.0.0"));
}

void DialogSurfaceTest::progress_data() {
    QTest::addColumn<int>("position");
    QTest::newRow("start") << 0;
    QTest::newRow("rounded up share") << 1;
    QTest::newRow("half") << 50;
    QTest::newRow("end") << 100;
}

void DialogSurfaceTest::progress() {
    QFETCH(int, position);
    CKestrel_FlashToolDlg dlg;
    dlg.SetProgress(37);
    dlg.SetProgress(position);
    QCOMPARE(dlg.findChild<QProgressBar*>("IDC_PROGRESS")->value(), position);
}

void DialogSurfaceTest::messageBox_data() {
    QTest::addColumn<QString>("text");
    QTest::newRow("not connected") << "Please first connect to a camera";
    QTest::newRow("wrong address") << "Wrong IP, not connected";
    QTest::newRow("markup stays text") << "<b>x</b> & <i>y</i>";
}

void DialogSurfaceTest::messageBox() {
    QFETCH(QString, text);
    CKestrel_FlashToolDlg dlg;
    dlg.show();
    QVERIFY(QTest::qWaitForWindowExposed(&dlg));
    QString title;
    QString shownText;
    QMessageBox::Icon icon = QMessageBox::NoIcon;
    QMessageBox::StandardButtons buttons;
    int buttonCount = 0;
    Qt::TextFormat format = Qt::AutoText;
    bool modal = false;
    QWidget* parent = nullptr;
    kestrel::test::WhenShown<QMessageBox>([&](QMessageBox* box) {
        title = box->windowTitle();
        shownText = box->text();
        icon = box->icon();
        buttons = box->standardButtons();
        buttonCount = int(box->buttons().size());
        format = box->textFormat();
        modal = box->isModal();
        parent = box->parentWidget();
        box->button(QMessageBox::Ok)->click();
    });
    dlg.ShowMessageBox(text);
    QCOMPARE(title, QStringLiteral(KESTREL_TEST_EXE_NAME));
    QCOMPARE(shownText, text);
    QCOMPARE(icon, QMessageBox::Warning);
    QCOMPARE(buttons, QMessageBox::StandardButtons(QMessageBox::Ok));
    QCOMPARE(buttonCount, 1);
    QCOMPARE(format, Qt::PlainText);
    QVERIFY(modal);
    QCOMPARE(parent, &dlg);
}

QTEST_MAIN(DialogSurfaceTest)
#include "dialog_surface_test.moc"
