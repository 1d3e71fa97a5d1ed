#include "ip_address_edit.h"
#include "kestrel_flashtool_dlg.h"
#include "pane_edit.h"

#include <QApplication>
#include <QLabel>
#include <QLineEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QTest>

namespace {

// The control of the main window that holds the widget (the address control
// for one of its fields).
QWidget* ControlOf(QWidget* dialog, QWidget* widget) {
    while (widget != nullptr && widget->parentWidget() != dialog)
        widget = widget->parentWidget();
    return widget;
}

QWidget* ControlNamed(QWidget* dialog, const QString& name) {
    for (QWidget* child : dialog->findChildren<QWidget*>(QString(), Qt::FindDirectChildrenOnly)) {
        if (child->objectName() == name)
            return child;
        if (auto* label = qobject_cast<QLabel*>(child); label != nullptr && label->text() == name)
            return child;
    }
    return nullptr;
}

} // namespace

class MainDialogTest : public QObject {
    Q_OBJECT

private slots:
    void controls_data();
    void controls();
    void controlsAreCreatedInTemplateOrder();
    void window();
    void tabOrder_data();
    void tabOrder();
    void focusStartsOnFirmwareUpdate();
    void staticsAndProgressBarAreNoTabStops();
    void progressBar();
    void panesAreReadOnlyPlainText();
    void noButtonIsTheDefault();
};

void MainDialogTest::controls_data() {
    QTest::addColumn<QString>("name"); // the IDC_ name, or the caption of a static
    QTest::addColumn<QString>("type");
    QTest::addColumn<QString>("caption");
    QTest::addColumn<QString>("accessibleName");
    QTest::addColumn<QRect>("rect");

    const auto row = [](const char* name, const char* type, const char* caption,
                        const char* accessibleName, QRect rect) {
        QTest::newRow(name) << QString::fromLatin1(name) << QString::fromLatin1(type)
                            << QString::fromLatin1(caption) << QString::fromLatin1(accessibleName)
                            << rect;
    };
    row("IDC_FW_UPDATE", "QPushButton", "HW Firmware Update", "HW Firmware Update",
        QRect(87, 311, 77, 14));
    row("IDC_COPY_TO_USB", "QPushButton", "Copy FWs to USB stick", "Copy FWs to USB stick",
        QRect(87, 111, 77, 14));
    row("Camera IP address : ", "QLabel",
        "Camera IP address : ", "Camera IP address :", QRect(15, 184, 68, 8));
    row("HW-FW:", "QLabel", "HW-FW:", "HW-FW:", QRect(15, 42, 28, 8));
    row("SW-FW:", "QLabel", "SW-FW:", "SW-FW:", QRect(15, 65, 28, 8));
    row("USB-Stick:", "QLabel", "USB-Stick:", "USB-Stick:", QRect(15, 88, 34, 8));
    row("IDC_SELECT_HW", "QPushButton", "Select", "Select HW-FW file", QRect(212, 39, 25, 15));
    row("IDC_SELECT_SW", "QPushButton", "Select", "Select SW-FW file", QRect(212, 62, 25, 15));
    row("IDC_SELECT_USB", "QPushButton", "Select", "Select USB-Stick folder",
        QRect(212, 85, 25, 15));
    row("IDC_LOG", "kestrel::PaneEdit", "", "Log", QRect(15, 353, 222, 72));
    row("IDC_INFO", "kestrel::PaneEdit", "", "Camera information", QRect(15, 225, 222, 52));
    row("IDC_PROGRESS", "QProgressBar", "", "Progress", QRect(15, 293, 222, 14));
    row("IDC_HW_FILE", "kestrel::PaneEdit", "", "HW-FW file", QRect(49, 39, 153, 15));
    row("IDC_SW_FILE", "kestrel::PaneEdit", "", "SW-FW file", QRect(49, 62, 153, 15));
    row("IDC_USB_PATH", "kestrel::PaneEdit", "", "USB-Stick folder", QRect(49, 85, 153, 15));
    row("1) Set Hardware and Software firmware files and select USB stick", "QLabel",
        "1) Set Hardware and Software firmware files and select USB stick",
        "1) Set Hardware and Software firmware files and select USB stick", QRect(15, 19, 217, 8));
    row("2) Plug USB stick into camera and power cycle it", "QLabel",
        "2) Plug USB stick into camera and power cycle it",
        "2) Plug USB stick into camera and power cycle it", QRect(15, 144, 217, 8));
    row("   - Click on connect button when the camera is ready", "QLabel",
        "   - Click on connect button when the camera is ready",
        "- Click on connect button when the camera is ready", QRect(15, 156, 217, 8));
    row("   - Click on FW update button to write new HW-FW in boot memory", "QLabel",
        "   - Click on FW update button to write new HW-FW in boot memory",
        "- Click on FW update button to write new HW-FW in boot memory", QRect(15, 167, 217, 8));
    row("IDC_CAMERA_IP", "kestrel::IpAddressEdit", "", "Camera IP address",
        QRect(15, 197, 100, 15));
    row("IDC_CONNECT", "QPushButton", "Connect", "Connect", QRect(146, 197, 50, 14));
}

void MainDialogTest::controls() {
    QFETCH(QString, name);
    QFETCH(QString, type);
    QFETCH(QString, caption);
    QFETCH(QString, accessibleName);
    QFETCH(QRect, rect);
    CKestrel_FlashToolDlg dlg;
    QWidget* control = ControlNamed(&dlg, name);
    QVERIFY2(control != nullptr, qPrintable(name));
    QCOMPARE(QString::fromLatin1(control->metaObject()->className()), type);
    if (auto* button = qobject_cast<QPushButton*>(control))
        QCOMPARE(button->text(), caption);
    if (auto* label = qobject_cast<QLabel*>(control)) {
        QCOMPARE(label->text(), caption);
        QCOMPARE(label->textFormat(), Qt::PlainText);
    }
    QCOMPARE(control->accessibleName(), accessibleName);
    QCOMPARE(control->geometry(), dlg.Units().ToPixels(rect));
}

void MainDialogTest::controlsAreCreatedInTemplateOrder() {
    CKestrel_FlashToolDlg dlg;
    QStringList names;
    for (QWidget* child : dlg.findChildren<QWidget*>(QString(), Qt::FindDirectChildrenOnly)) {
        if (auto* label = qobject_cast<QLabel*>(child))
            names << label->text();
        else
            names << child->objectName();
    }
    const QStringList expected{
        "IDC_FW_UPDATE",
        "IDC_COPY_TO_USB",
        "Camera IP address : ",
        "HW-FW:",
        "SW-FW:",
        "USB-Stick:",
        "IDC_SELECT_HW",
        "IDC_SELECT_SW",
        "IDC_SELECT_USB",
        "IDC_LOG",
        "IDC_INFO",
        "IDC_PROGRESS",
        "IDC_HW_FILE",
        "IDC_SW_FILE",
        "IDC_USB_PATH",
        "1) Set Hardware and Software firmware files and select USB stick",
        "2) Plug USB stick into camera and power cycle it",
        "   - Click on connect button when the camera is ready",
        "   - Click on FW update button to write new HW-FW in boot memory",
        "IDC_CAMERA_IP",
        "IDC_CONNECT",
    };
    QCOMPARE(names, expected);
}

void MainDialogTest::window() {
    CKestrel_FlashToolDlg dlg;
    QCOMPARE(dlg.windowTitle(), QStringLiteral("Kestrel_FlashTool"));
    QVERIFY(!dlg.windowIcon().isNull());
    const QSize client = dlg.Units().ToPixels(QSize(252, 433));
    QCOMPARE(dlg.size(), client);
    QCOMPARE(dlg.minimumSize(), client);
    QCOMPARE(dlg.maximumSize(), client);
    const Qt::WindowFlags flags = dlg.windowFlags();
    QVERIFY(flags.testFlag(Qt::WindowSystemMenuHint));
    QVERIFY(flags.testFlag(Qt::WindowCloseButtonHint));
    QVERIFY(!flags.testFlag(Qt::WindowMinimizeButtonHint));
    QVERIFY(!flags.testFlag(Qt::WindowMaximizeButtonHint));
    QVERIFY(!flags.testFlag(Qt::WindowContextHelpButtonHint));
    QCOMPARE(dlg.font().pointSize(), 8);
}

void MainDialogTest::tabOrder_data() {
    QTest::addColumn<QString>("from");
    QTest::addColumn<bool>("forward");
    QTest::addColumn<QString>("to");

    const QStringList sequence{"IDC_FW_UPDATE", "IDC_COPY_TO_USB", "IDC_SELECT_HW",
                               "IDC_SELECT_SW", "IDC_SELECT_USB",  "IDC_LOG",
                               "IDC_INFO",      "IDC_HW_FILE",     "IDC_SW_FILE",
                               "IDC_USB_PATH",  "IDC_CAMERA_IP",   "IDC_CONNECT"};
    for (qsizetype i = 0; i < sequence.size(); ++i) {
        const QString& from = sequence[i];
        const QString& next = sequence[(i + 1) % sequence.size()];
        QTest::addRow("Tab %s", qPrintable(from)) << from << true << next;
        QTest::addRow("Shift+Tab %s", qPrintable(next)) << next << false << from;
    }
}

void MainDialogTest::tabOrder() {
    QFETCH(QString, from);
    QFETCH(bool, forward);
    QFETCH(QString, to);
    CKestrel_FlashToolDlg dlg;
    dlg.show();
    QVERIFY(QTest::qWaitForWindowActive(&dlg));
    QWidget* start = ControlNamed(&dlg, from);
    QVERIFY(start != nullptr);
    start->setFocus(forward ? Qt::TabFocusReason : Qt::BacktabFocusReason);
    QCOMPARE(ControlOf(&dlg, QApplication::focusWidget()), start);
    QTest::keyClick(QApplication::focusWidget(), forward ? Qt::Key_Tab : Qt::Key_Backtab);
    QWidget* reached = ControlOf(&dlg, QApplication::focusWidget());
    QVERIFY(reached != nullptr);
    QCOMPARE(reached->objectName(), to);
}

void MainDialogTest::focusStartsOnFirmwareUpdate() {
    CKestrel_FlashToolDlg dlg;
    dlg.show();
    QVERIFY(QTest::qWaitForWindowActive(&dlg));
    QCOMPARE(QApplication::focusWidget(), dlg.FwUpdateButton());
    QCOMPARE(dlg.FwUpdateButton()->text(), QStringLiteral("HW Firmware Update"));
}

void MainDialogTest::staticsAndProgressBarAreNoTabStops() {
    CKestrel_FlashToolDlg dlg;
    for (QLabel* label : dlg.findChildren<QLabel*>(QString(), Qt::FindDirectChildrenOnly))
        QCOMPARE(label->focusPolicy(), Qt::NoFocus);
    QCOMPARE(dlg.findChild<QProgressBar*>("IDC_PROGRESS")->focusPolicy(), Qt::NoFocus);
}

void MainDialogTest::progressBar() {
    CKestrel_FlashToolDlg dlg;
    auto* bar = dlg.findChild<QProgressBar*>("IDC_PROGRESS");
    QVERIFY(bar != nullptr);
    QCOMPARE(bar->minimum(), 0);
    QCOMPARE(bar->maximum(), 100);
    QCOMPARE(bar->value(), 0);
    QVERIFY(!bar->isTextVisible());
}

void MainDialogTest::panesAreReadOnlyPlainText() {
    CKestrel_FlashToolDlg dlg;
    for (const kestrel::Pane pane : {kestrel::Pane::Log, kestrel::Pane::Info, kestrel::Pane::HwFile,
                                     kestrel::Pane::SwFile, kestrel::Pane::UsbPath}) {
        kestrel::PaneEdit* edit = dlg.PaneWidget(pane);
        QVERIFY(edit != nullptr);
        QVERIFY(edit->isReadOnly());
        QVERIFY(edit->tabChangesFocus());
        QCOMPARE(edit->focusPolicy(), Qt::StrongFocus);
        QVERIFY(edit->toPlainText().isEmpty());
    }
    QCOMPARE(dlg.PaneWidget(kestrel::Pane::Log)->objectName(), QStringLiteral("IDC_LOG"));
    QCOMPARE(dlg.PaneWidget(kestrel::Pane::Info)->objectName(), QStringLiteral("IDC_INFO"));
    QCOMPARE(dlg.PaneWidget(kestrel::Pane::HwFile)->objectName(), QStringLiteral("IDC_HW_FILE"));
    QCOMPARE(dlg.PaneWidget(kestrel::Pane::SwFile)->objectName(), QStringLiteral("IDC_SW_FILE"));
    QCOMPARE(dlg.PaneWidget(kestrel::Pane::UsbPath)->objectName(), QStringLiteral("IDC_USB_PATH"));
}

void MainDialogTest::noButtonIsTheDefault() {
    CKestrel_FlashToolDlg dlg;
    dlg.show();
    QVERIFY(QTest::qWaitForWindowActive(&dlg));
    // Walk the focus once round the window; no button may become the default.
    for (int i = 0; i < 13; ++i) {
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
        for (QPushButton* button : dlg.findChildren<QPushButton*>())
            QVERIFY2(!button->isDefault(), qPrintable(button->objectName()));
    }
}

QTEST_MAIN(MainDialogTest)
#include "main_dialog_test.moc"
