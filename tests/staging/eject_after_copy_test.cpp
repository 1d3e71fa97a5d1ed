// The window offers to eject the stick after a successful copy onto it, and
// only then: the tool's logic with UDisks2 standing in.

#include "recording_surface.h"
#include "scratch_files.h"
#include "tool_session.h"
#include "udisks_stand_in.h"

#include <QDir>
#include <QTemporaryDir>
#include <QTest>

class EjectAfterCopyTest : public QObject {
    Q_OBJECT
private slots:
    void initTestCase() {
        QVERIFY(kestrel::test::WriteFile(m_dir.filePath("a.rbf"), "h") &&
                kestrel::test::WriteFile(m_dir.filePath("vx_server_1"), "s"));
        QVERIFY(m_udisks.Start({m_stick})); // the process's system bus from now on
        m_udisks.Offer();
    }
    void offered_data();
    void offered();

private:
    QTemporaryDir m_dir;
    const QString m_stick = QDir(m_dir.path()).canonicalPath() + "/stick";
    kestrel::test::UdisksStandIn m_udisks;
};

void EjectAfterCopyTest::offered_data() {
    QTest::addColumn<QString>("hwFile");
    QTest::addColumn<bool>("answer"); // Eject, or Keep it
    QTest::newRow("copied, Eject") << "a.rbf" << true;
    QTest::newRow("copied, Keep it") << "a.rbf" << false;
    QTest::newRow("copy failed: nothing offered") << "gone.rbf" << true;
}

void EjectAfterCopyTest::offered() {
    QFETCH(QString, hwFile);
    QFETCH(bool, answer);
    const QString stick = m_stick;
    QVERIFY(QDir(stick).removeRecursively() && QDir().mkpath(stick));
    kestrel::test::UdisksStandIn& udisks = m_udisks;
    kestrel::test::RecordingSurface surface;
    kestrel::ToolSession session(surface, surface);
    surface.fileAnswers = {m_dir.filePath(hwFile), m_dir.filePath("vx_server_1")};
    surface.folderAnswers = {stick};
    session.OnBnClickedSelectHw();
    session.OnBnClickedSelectSw();
    session.OnBnClickedSelectUsb();
    surface.messageBoxes.clear();
    surface.questionAnswers = {answer};
    session.OnBnClickedCopyToUsb();

    const bool copied = QFileInfo::exists(stick + "/firm.rbf");
    QCOMPARE(copied, hwFile == "a.rbf");
    QCOMPARE(surface.questions,
             copied ? QStringList{"New files Copied successfully.\n\nEject the USB stick now, so "
                                  "that it can be removed safely? [Eject|Keep it]"}
                    : QStringList{});
    const QString list = "ObjectManager.GetManagedObjects UDisks2";
    const bool ejected = copied && answer;
    QStringList calls;
    if (copied)
        calls << list;
    if (ejected)
        calls << list << "Filesystem.Unmount sdb1 auth.no_user_interaction=false"
              << "Drive.PowerOff stick1 auth.no_user_interaction=false";
    QCOMPARE(udisks.Calls(), calls);
    const QString removable = "The USB stick (/dev/sdb1) is ejected: it can be removed now.";
    QCOMPARE(surface.messageBoxes.contains(removable), ejected);
    // The log keeps the copy's report, the outcome after it.
    QVERIFY(session.Log().Text().startsWith("Copying new files to"));
    QCOMPARE(session.Log().Text().endsWith("\r\nEjecting the USB stick ...\r\n\t=> unmounted "
                                           "/dev/sdb1 from " +
                                           stick +
                                           "\r\n\t=> powered off the drive of /dev/sdb1\r\n\r\n" +
                                           removable + "\r\n"),
             ejected);
    QCOMPARE(surface.paneText.value(kestrel::Pane::Log), session.Log().Text());
}

QTEST_GUILESS_MAIN(EjectAfterCopyTest)
#include "eject_after_copy_test.moc"
