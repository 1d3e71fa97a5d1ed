#include "display_check.h"

#include <QProcess>
#include <QProcessEnvironment>
#include <QTest>

using kestrel::DisplayEnvironment;

class DisplayCheckTest : public QObject {
    Q_OBJECT

private slots:
    void hasDisplay_data();
    void hasDisplay();
    void messageNamesTheWayOut();
    void programWithoutDisplayExitsWithTheMessage();
};

void DisplayCheckTest::hasDisplay_data() {
    QTest::addColumn<QString>("platform");
    QTest::addColumn<QString>("display");
    QTest::addColumn<QString>("wayland");
    QTest::addColumn<bool>("onLinux");

    QTest::newRow("nothing set") << ""
                                 << ""
                                 << "" << false;
    QTest::newRow("X display") << ""
                               << ":0"
                               << "" << true;
    QTest::newRow("Wayland display") << ""
                                     << ""
                                     << "wayland-0" << true;
    QTest::newRow("xcb without display") << "xcb"
                                         << ""
                                         << "" << false;
    QTest::newRow("xcb with display") << "xcb"
                                      << ":99"
                                      << "" << true;
    QTest::newRow("wayland without display") << "wayland-egl"
                                             << ""
                                             << "" << false;
    QTest::newRow("offscreen") << "offscreen"
                               << ""
                               << "" << true;
    QTest::newRow("offscreen with options") << "offscreen:enable_fonts"
                                            << ""
                                            << "" << true;
    QTest::newRow("fallback list starting with xcb") << "xcb;offscreen"
                                                     << ""
                                                     << "" << false;
    QTest::newRow("minimal") << "minimal"
                             << ""
                             << "" << true;
}

void DisplayCheckTest::hasDisplay() {
    QFETCH(QString, platform);
    QFETCH(QString, display);
    QFETCH(QString, wayland);
    QFETCH(bool, onLinux);
#ifdef Q_OS_LINUX
    const bool expected = onLinux;
#else
    const bool expected = true;
#endif
    QCOMPARE(kestrel::HasDisplay(DisplayEnvironment{platform, display, wayland}), expected);
}

void DisplayCheckTest::messageNamesTheWayOut() {
    const QString message = kestrel::NoDisplayMessage();
    QVERIFY(message.contains(QStringLiteral("no display")));
    QVERIFY(
        message.contains(QStringLiteral("xvfb-run -a build/default/src/app/Kestrel_FlashTool")));
    QVERIFY(message.endsWith(u'\n'));
}

void DisplayCheckTest::programWithoutDisplayExitsWithTheMessage() {
#ifndef Q_OS_LINUX
    QSKIP("Only Linux desktops need a display variable.");
#else
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.remove(QStringLiteral("DISPLAY"));
    environment.remove(QStringLiteral("WAYLAND_DISPLAY"));
    environment.remove(QStringLiteral("QT_QPA_PLATFORM"));
    QProcess tool;
    tool.setProcessEnvironment(environment);
    tool.start(QStringLiteral(KESTREL_TOOL_EXECUTABLE), QStringList());
    QVERIFY(tool.waitForFinished(30000));
    QCOMPARE(tool.exitStatus(), QProcess::NormalExit);
    QCOMPARE(tool.exitCode(), 1);
    const QString errors = QString::fromLocal8Bit(tool.readAllStandardError());
    QCOMPARE(errors, kestrel::NoDisplayMessage());
    QVERIFY(tool.readAllStandardOutput().isEmpty());
#endif
}

QTEST_MAIN(DisplayCheckTest)
#include "display_check_test.moc"
