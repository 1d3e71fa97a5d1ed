#include "ip_address_edit.h"
#include "kestrel_flashtool_dlg.h"
#include "pane_edit.h"

#include <QApplication>
#include <QEventLoop>
#include <QLineEdit>
#include <QPushButton>
#include <QSignalSpy>
#include <QTest>
#include <QTimer>

#include <functional>

namespace {

// Runs body from inside a nested event loop, the way a handler that waits
// for the camera serves events while it waits.
void InNestedLoop(const std::function<void()>& body) {
    QEventLoop loop;
    QTimer::singleShot(0, &loop, [&] {
        body();
        loop.quit();
    });
    loop.exec();
}

void PressKey(Qt::Key key) {
    QWidget* target = QApplication::focusWidget();
    QVERIFY(target != nullptr);
    QTest::keyClick(target, key);
}

} // namespace

class DialogCloseTest : public QObject {
    Q_OBJECT

private slots:
    void init();
    void cleanup();

    void enterOnTheFocusedButtonClicksIt_data();
    void enterOnTheFocusedButtonClicksIt();
    void enterElsewhereDoesNothing_data();
    void enterElsewhereDoesNothing();
    void escapeCloses();
    void closeBoxCloses();
    void escapeDuringAHandlerClosesWhenItReturns();
    void closeBoxDuringAHandlerClosesWhenItReturns();
    void nestedHandlersCloseWhenTheOutermostReturns();
    void modalRunEndsOnlyAfterTheHandler();
    void closeWaitsForTheWorkBehindTheWindow();
    void unwiredButtonsDoNothing();

private:
    CKestrel_FlashToolDlg* m_dlg = nullptr;
    QStringList m_clicked;
};

void DialogCloseTest::init() {
    m_dlg = new CKestrel_FlashToolDlg;
    m_clicked.clear();
    kestrel::ButtonHandlers handlers;
    handlers.connect = [this] { m_clicked << "connect"; };
    handlers.fwUpdate = [this] { m_clicked << "fwUpdate"; };
    handlers.copyToUsb = [this] { m_clicked << "copyToUsb"; };
    handlers.selectHw = [this] { m_clicked << "selectHw"; };
    handlers.selectSw = [this] { m_clicked << "selectSw"; };
    handlers.selectUsb = [this] { m_clicked << "selectUsb"; };
    m_dlg->SetButtonHandlers(handlers);
    m_dlg->show();
    QVERIFY(QTest::qWaitForWindowActive(m_dlg));
}

void DialogCloseTest::cleanup() {
    delete m_dlg;
    m_dlg = nullptr;
}

void DialogCloseTest::enterOnTheFocusedButtonClicksIt_data() {
    QTest::addColumn<QString>("button");
    QTest::addColumn<QString>("handler");
    QTest::addColumn<int>("key");

    QTest::newRow("update, Return") << "IDC_FW_UPDATE"
                                    << "fwUpdate" << int(Qt::Key_Return);
    QTest::newRow("update, keypad Enter") << "IDC_FW_UPDATE"
                                          << "fwUpdate" << int(Qt::Key_Enter);
    QTest::newRow("copy") << "IDC_COPY_TO_USB"
                          << "copyToUsb" << int(Qt::Key_Return);
    QTest::newRow("select hw") << "IDC_SELECT_HW"
                               << "selectHw" << int(Qt::Key_Return);
    QTest::newRow("select sw") << "IDC_SELECT_SW"
                               << "selectSw" << int(Qt::Key_Return);
    QTest::newRow("select usb") << "IDC_SELECT_USB"
                                << "selectUsb" << int(Qt::Key_Return);
    QTest::newRow("connect") << "IDC_CONNECT"
                             << "connect" << int(Qt::Key_Return);
}

void DialogCloseTest::enterOnTheFocusedButtonClicksIt() {
    QFETCH(QString, button);
    QFETCH(QString, handler);
    QFETCH(int, key);
    QSignalSpy finished(m_dlg, &QDialog::finished);
    m_dlg->findChild<QPushButton*>(button)->setFocus(Qt::TabFocusReason);
    PressKey(Qt::Key(key));
    QCOMPARE(m_clicked, QStringList{handler});
    QVERIFY(m_dlg->isVisible());
    QCOMPARE(finished.count(), 0);
}

void DialogCloseTest::enterElsewhereDoesNothing_data() {
    QTest::addColumn<QString>("control");
    QTest::newRow("address field") << "IDC_CAMERA_IP";
    QTest::newRow("log pane") << "IDC_LOG";
    QTest::newRow("information pane") << "IDC_INFO";
    QTest::newRow("hw file field") << "IDC_HW_FILE";
}

void DialogCloseTest::enterElsewhereDoesNothing() {
    QFETCH(QString, control);
    QSignalSpy finished(m_dlg, &QDialog::finished);
    m_dlg->findChild<QWidget*>(control)->setFocus(Qt::TabFocusReason);
    PressKey(Qt::Key_Return);
    PressKey(Qt::Key_Enter);
    QVERIFY(m_clicked.isEmpty());
    QVERIFY(m_dlg->isVisible());
    QCOMPARE(finished.count(), 0);
}

void DialogCloseTest::escapeCloses() {
    QSignalSpy rejected(m_dlg, &QDialog::rejected);
    m_dlg->CameraAddressEdit()->setFocus(Qt::TabFocusReason);
    PressKey(Qt::Key_Escape);
    QCOMPARE(rejected.count(), 1);
    QVERIFY(!m_dlg->isVisible());
}

void DialogCloseTest::closeBoxCloses() {
    QSignalSpy rejected(m_dlg, &QDialog::rejected);
    QVERIFY(m_dlg->close());
    QCOMPARE(rejected.count(), 1);
    QVERIFY(!m_dlg->isVisible());
}

void DialogCloseTest::escapeDuringAHandlerClosesWhenItReturns() {
    QSignalSpy rejected(m_dlg, &QDialog::rejected);
    bool openAfterEscape = false;
    int depthInside = 0;
    kestrel::ButtonHandlers handlers;
    handlers.connect = [&] {
        depthInside = m_dlg->HandlerDepth();
        InNestedLoop([&] { PressKey(Qt::Key_Escape); });
        openAfterEscape = m_dlg->isVisible() && rejected.isEmpty() && m_dlg->IsClosePending();
    };
    m_dlg->SetButtonHandlers(handlers);
    QTest::mouseClick(m_dlg->ConnectButton(), Qt::LeftButton);
    QCOMPARE(depthInside, 1);
    QVERIFY(openAfterEscape);
    QCOMPARE(rejected.count(), 1);
    QVERIFY(!m_dlg->isVisible());
    QCOMPARE(m_dlg->HandlerDepth(), 0);
    QVERIFY(!m_dlg->IsClosePending());
}

void DialogCloseTest::closeBoxDuringAHandlerClosesWhenItReturns() {
    QSignalSpy rejected(m_dlg, &QDialog::rejected);
    bool closeRefused = false;
    kestrel::ButtonHandlers handlers;
    handlers.fwUpdate = [&] {
        InNestedLoop([&] { closeRefused = !m_dlg->close(); });
        closeRefused = closeRefused && m_dlg->isVisible();
    };
    m_dlg->SetButtonHandlers(handlers);
    QTest::mouseClick(m_dlg->FwUpdateButton(), Qt::LeftButton);
    QVERIFY(closeRefused);
    QCOMPARE(rejected.count(), 1);
    QVERIFY(!m_dlg->isVisible());
}

void DialogCloseTest::nestedHandlersCloseWhenTheOutermostReturns() {
    QSignalSpy rejected(m_dlg, &QDialog::rejected);
    QStringList events;
    kestrel::ButtonHandlers handlers;
    handlers.fwUpdate = [&] {
        events << "update starts";
        InNestedLoop([&] { QTest::mouseClick(m_dlg->ConnectButton(), Qt::LeftButton); });
        events << QStringLiteral("update ends, closed %1").arg(rejected.count());
    };
    handlers.connect = [&] {
        events << QStringLiteral("connect at depth %1").arg(m_dlg->HandlerDepth());
        InNestedLoop([&] { PressKey(Qt::Key_Escape); });
        events << QStringLiteral("connect ends, closed %1").arg(rejected.count());
    };
    m_dlg->SetButtonHandlers(handlers);
    QTest::mouseClick(m_dlg->FwUpdateButton(), Qt::LeftButton);
    const QStringList expected{"update starts", "connect at depth 2", "connect ends, closed 0",
                               "update ends, closed 0"};
    QCOMPARE(events, expected);
    QCOMPARE(rejected.count(), 1);
    QVERIFY(!m_dlg->isVisible());
}

void DialogCloseTest::modalRunEndsOnlyAfterTheHandler() {
    m_dlg->hide();
    QStringList events;
    kestrel::ButtonHandlers handlers;
    handlers.connect = [&] {
        InNestedLoop([&] { QTest::keyClick(m_dlg, Qt::Key_Escape); });
        // The handler still uses the window after the close was asked for.
        m_dlg->ShowTextWithCaret(kestrel::Pane::Log, QStringLiteral("still here"), 10);
        events << "handler returns";
    };
    m_dlg->SetButtonHandlers(handlers);
    QTimer::singleShot(0, m_dlg,
                       [this] { QTest::mouseClick(m_dlg->ConnectButton(), Qt::LeftButton); });
    m_dlg->exec();
    events << "exec returns";
    QCOMPARE(events, (QStringList{"handler returns", "exec returns"}));
    QCOMPARE(m_dlg->PaneWidget(kestrel::Pane::Log)->toPlainText(), QStringLiteral("still here"));
}

void DialogCloseTest::closeWaitsForTheWorkBehindTheWindow() {
    // A run goes on after its button's handler has returned: a close asked
    // for meanwhile waits for the work to end, then happens.
    QSignalSpy rejected(m_dlg, &QDialog::rejected);
    bool busy = true;
    m_dlg->SetBusy([&busy] { return busy; });
    PressKey(Qt::Key_Escape);
    QVERIFY(m_dlg->isVisible());
    QVERIFY(m_dlg->IsClosePending());
    m_dlg->WorkEnded(); // some work ended, not all of it
    QVERIFY(m_dlg->isVisible());
    busy = false;
    m_dlg->WorkEnded();
    QCOMPARE(rejected.count(), 1);
    QVERIFY(!m_dlg->isVisible());
    QVERIFY(!m_dlg->IsClosePending());
}

void DialogCloseTest::unwiredButtonsDoNothing() {
    m_dlg->SetButtonHandlers({});
    for (QPushButton* button : m_dlg->findChildren<QPushButton*>())
        QTest::mouseClick(button, Qt::LeftButton);
    QVERIFY(m_clicked.isEmpty());
    QCOMPARE(m_dlg->HandlerDepth(), 0);
    QVERIFY(m_dlg->isVisible());
}

QTEST_MAIN(DialogCloseTest)
#include "dialog_close_test.moc"
