#include "about_dlg.h"
#include "kestrel_flashtool_dlg.h"
#include "modal_watch.h"
#include "system_menu.h"

#include <QContextMenuEvent>
#include <QLabel>
#include <QMenu>
#include <QPushButton>
#include <QTest>

namespace {

// What the About box showed, read while it was up.
struct AboutSeen {
    bool shown = false;
    QString title;
    QStringList texts;
    QStringList buttons;
    bool modal = false;
    bool hasIcon = false;
};

// Records the About box once it is up and closes it with its OK button.
void ReadAndCloseAbout(AboutSeen& seen) {
    kestrel::test::WhenShown<CAboutDlg>([&seen](CAboutDlg* about) {
        seen.shown = true;
        seen.title = about->windowTitle();
        seen.modal = about->isModal();
        seen.hasIcon = !about->windowIcon().isNull();
        for (QLabel* label : about->findChildren<QLabel*>()) {
            if (!label->text().isEmpty())
                seen.texts << label->text();
        }
        for (QPushButton* button : about->findChildren<QPushButton*>())
            seen.buttons << button->text();
        QPushButton* ok = about->findChild<QPushButton*>(QStringLiteral("IDOK"));
        if (ok != nullptr)
            ok->click();
        else
            about->reject();
    });
}

void CheckAbout(const AboutSeen& seen) {
    QVERIFY(seen.shown);
    QCOMPARE(seen.title, QStringLiteral("About Kestrel_FlashTool"));
    QCOMPARE(seen.texts, QStringList{QStringLiteral("Kestrel_FlashTool, Version 1.0.0.6")});
    QCOMPARE(seen.buttons, QStringList{QStringLiteral("OK")});
    QVERIFY(seen.modal);
    QVERIFY(seen.hasIcon);
}

} // namespace

class AboutBoxTest : public QObject {
    Q_OBJECT

private slots:
    void init();
    void cleanup();
    void fromF1_data();
    void fromF1();
    void fromTheContextMenu();
    void iconPicture();
    void systemMenuOnlyOnWindows();

private:
    CKestrel_FlashToolDlg* m_dlg = nullptr;
};

void AboutBoxTest::init() {
    m_dlg = new CKestrel_FlashToolDlg;
    m_dlg->show();
    QVERIFY(QTest::qWaitForWindowActive(m_dlg));
}

void AboutBoxTest::cleanup() {
    delete m_dlg;
    m_dlg = nullptr;
}

void AboutBoxTest::fromF1_data() {
    QTest::addColumn<QString>("focus");
    QTest::newRow("on a button") << "IDC_FW_UPDATE";
    QTest::newRow("in a pane") << "IDC_LOG";
    QTest::newRow("in the address field") << "IDC_CAMERA_IP";
}

void AboutBoxTest::fromF1() {
    QFETCH(QString, focus);
    m_dlg->findChild<QWidget*>(focus)->setFocus(Qt::TabFocusReason);
    AboutSeen seen;
    ReadAndCloseAbout(seen);
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_F1);
    CheckAbout(seen);
    QVERIFY(m_dlg->isVisible());
}

void AboutBoxTest::fromTheContextMenu() {
    QStringList items;
    AboutSeen seen;
    kestrel::test::WhenShown<QMenu>([&](QMenu* menu) {
        for (QAction* action : menu->actions())
            items << action->text();
        ReadAndCloseAbout(seen);
        QTest::keyClick(menu, Qt::Key_Down);
        QTest::keyClick(menu, Qt::Key_Return);
    });
    // A right click on an instruction line reaches the window.
    QLabel* line = nullptr;
    for (QLabel* label : m_dlg->findChildren<QLabel*>()) {
        if (label->text().startsWith(QStringLiteral("2) ")))
            line = label;
    }
    QVERIFY(line != nullptr);
    QContextMenuEvent click(QContextMenuEvent::Mouse, QPoint(5, 5),
                            line->mapToGlobal(QPoint(5, 5)));
    QApplication::sendEvent(line, &click);
    QCOMPARE(items, (QStringList{QStringLiteral("&About Kestrel_FlashTool..."),
                                 QStringLiteral("&Find cameras\u2026"),
                                 QStringLiteral("&History\u2026")}));
    CheckAbout(seen);
    QVERIFY(m_dlg->isVisible());
}

void AboutBoxTest::iconPicture() {
    CAboutDlg about;
    bool picture = false;
    for (QLabel* label : about.findChildren<QLabel*>())
        picture = picture || !label->pixmap().isNull();
    QVERIFY(picture);
    QCOMPARE(about.findChild<QPushButton*>(QStringLiteral("IDOK"))->isDefault(), true);
}

void AboutBoxTest::systemMenuOnlyOnWindows() {
#ifdef Q_OS_WIN
    QVERIFY(
        kestrel::AppendAboutToSystemMenu(*m_dlg, QStringLiteral("&About Kestrel_FlashTool...")));
#else
    QVERIFY(
        !kestrel::AppendAboutToSystemMenu(*m_dlg, QStringLiteral("&About Kestrel_FlashTool...")));
    QVERIFY(!kestrel::IsAboutSystemCommand("xcb_generic_event_t", nullptr));
#endif
}

QTEST_MAIN(AboutBoxTest)
#include "about_box_test.moc"
