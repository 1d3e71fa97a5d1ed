#include "ip_address_edit.h"
#include "kestrel_flashtool_dlg.h"
#include "main_dialog_template.h"
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

// The widget class that shows a control of the kind.
const char* ClassOf(kestrel::ControlKind kind) {
    switch (kind) {
    case kestrel::ControlKind::PushButton:
        return "QPushButton";
    case kestrel::ControlKind::Static:
        return "QLabel";
    case kestrel::ControlKind::Pane:
        return "kestrel::PaneEdit";
    case kestrel::ControlKind::ProgressBar:
        return "QProgressBar";
    case kestrel::ControlKind::IpAddress:
        return "kestrel::IpAddressEdit";
    }
    return "";
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
    void everyTemplateControlIsCreatedInOrder();
    void controlsLieInsideTheWindowApart();
    void window();
    void tabOrder_data();
    void tabOrder();
    void focusStartsOnFirmwareUpdate();
    void staticsAndProgressBarAreNoTabStops();
    void progressBar();
    void panesAreReadOnlyPlainText();
    void noButtonIsTheDefault();
};

void MainDialogTest::everyTemplateControlIsCreatedInOrder() {
    CKestrel_FlashToolDlg dlg;
    const QList<QWidget*> children =
        dlg.findChildren<QWidget*>(QString(), Qt::FindDirectChildrenOnly);
    const auto controls = kestrel::MainDialogTemplate();
    QCOMPARE(children.size(), qsizetype(controls.size()));
    for (std::size_t i = 0; i < controls.size(); ++i) {
        const kestrel::ControlTemplate& control = controls[i];
        QWidget* widget = children.at(static_cast<qsizetype>(i));
        QCOMPARE(QString::fromLatin1(widget->metaObject()->className()),
                 QString::fromLatin1(ClassOf(control.kind)));
        if (control.kind != kestrel::ControlKind::Static)
            QCOMPARE(widget->objectName(), QString::fromLatin1(control.id));
        if (auto* button = qobject_cast<QPushButton*>(widget))
            QCOMPARE(button->text(), QString::fromLatin1(control.caption));
        if (auto* label = qobject_cast<QLabel*>(widget)) {
            QCOMPARE(label->text(), QString::fromLatin1(control.caption));
            QCOMPARE(label->textFormat(), Qt::PlainText);
        }
        QCOMPARE(widget->accessibleName(), QString::fromLatin1(control.accessibleName));
        QVERIFY2(!widget->accessibleName().isEmpty(), control.caption);
        QCOMPARE(widget->geometry(), dlg.Units().ToPixels(control.rect));
    }
}

void MainDialogTest::controlsLieInsideTheWindowApart() {
    const QRect client(QPoint(0, 0), kestrel::kMainDialogSize);
    const auto controls = kestrel::MainDialogTemplate();
    for (std::size_t i = 0; i < controls.size(); ++i) {
        const kestrel::ControlTemplate& control = controls[i];
        QVERIFY2(client.contains(control.rect), control.caption);
        for (std::size_t j = i + 1; j < controls.size(); ++j)
            QVERIFY2(!control.rect.intersects(controls[j].rect),
                     qPrintable(
                         QStringLiteral("%1 / %2").arg(QString::fromLatin1(control.caption),
                                                       QString::fromLatin1(controls[j].caption))));
    }
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

    // The tab order is the template's order, statics and the bar left out.
    QStringList sequence;
    for (const kestrel::ControlTemplate& control : kestrel::MainDialogTemplate()) {
        if (control.kind != kestrel::ControlKind::Static &&
            control.kind != kestrel::ControlKind::ProgressBar)
            sequence << QString::fromLatin1(control.id);
    }
    QCOMPARE(sequence.size(), 12);
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
