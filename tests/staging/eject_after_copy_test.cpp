// The window offers to eject the stick after a successful copy onto it, and
// only then: through the tool's logic, with UDisks2 standing in.

#include "recording_surface.h"
#include "scratch_files.h"
#include "tool_session.h"
#include "udisks_stand_in.h"

#include <QDir>
#include <QTemporaryDir>
#include <QTest>

using kestrel::test::RecordingSurface;

namespace {

const QString kList = QStringLiteral("ObjectManager.GetManagedObjects UDisks2");
const QString kOptions = QStringLiteral(" auth.no_user_interaction=false");
const QString kOffer = QStringLiteral("New files Copied successfully.\n\nEject the USB stick now, "
                                      "so that it can be removed safely? [Eject|Keep it]");
const QString kEjected =
    QStringLiteral("The USB stick (/dev/sdb1) is ejected: it can be removed now.");

} // namespace

class EjectAfterCopyTest : public QObject {
    Q_OBJECT
private slots:
    void initTestCase();
    void offered_data();
    void offered();

private:
    QTemporaryDir m_dir;
    QString m_stick;
    kestrel::test::UdisksStandIn m_udisks;
};

void EjectAfterCopyTest::initTestCase() {
    m_stick = QDir(m_dir.path()).canonicalPath() + QStringLiteral("/stick");
    QVERIFY(QDir().mkpath(m_stick) && QDir().mkpath(m_dir.filePath("disk")));
    QVERIFY(kestrel::test::WriteFile(m_dir.filePath("a.rbf"), QByteArray(4096, 'h')));
    QVERIFY(kestrel::test::WriteFile(m_dir.filePath("vx_server_1"), QByteArray(4096, 's')));
    QVERIFY(m_udisks.Start({m_stick, "/media/op/TWO", "/media/op/TWO/b", "/media/op/SD"}));
    m_udisks.Offer();
}

void EjectAfterCopyTest::offered_data() {
    QTest::addColumn<QString>("folder");
    QTest::addColumn<QString>("hwFile");
    QTest::addColumn<bool>("answer"); // to the offer, if it comes
    QTest::addColumn<bool>("offered");
    QTest::addColumn<QStringList>("calls"); // after the listing, options left out
    QTest::newRow("copied onto the stick, Eject")
        << "stick"
        << "a.rbf" << true << true
        << QStringList{"Filesystem.Unmount sdb1", "Drive.PowerOff stick1"};
    QTest::newRow("copied onto the stick, Keep it") << "stick"
                                                    << "a.rbf" << false << true << QStringList{};
    QTest::newRow("copied onto a fixed disk: no offer")
        << "disk"
        << "a.rbf" << true << false << QStringList{};
    QTest::newRow("copy failed: no offer, nothing asked of UDisks2")
        << "stick"
        << "gone.rbf" << true << false << QStringList{};
}

void EjectAfterCopyTest::offered() {
    QFETCH(QString, folder);
    QFETCH(QString, hwFile);
    QFETCH(bool, answer);
    QFETCH(bool, offered);
    QFETCH(QStringList, calls);
    QVERIFY(QDir(m_dir.filePath(folder)).removeRecursively() &&
            QDir().mkpath(m_dir.filePath(folder)));
    RecordingSurface surface;
    kestrel::ToolSession session(surface, surface);
    surface.fileAnswers = {m_dir.filePath(hwFile), m_dir.filePath("vx_server_1")};
    surface.folderAnswers = {m_dir.filePath(folder)};
    session.OnBnClickedSelectHw();
    session.OnBnClickedSelectSw();
    session.OnBnClickedSelectUsb();
    surface.messageBoxes.clear();
    surface.questionAnswers = {answer};
    session.OnBnClickedCopyToUsb();

    const bool copied = hwFile == QLatin1String("a.rbf");
    QCOMPARE(QFileInfo::exists(m_dir.filePath(folder + "/firm.rbf")), copied);
    QCOMPARE(surface.questions, offered ? QStringList{kOffer} : QStringList{});
    // The drives are listed to make the offer, and again for the eject: the
    // operator may have changed them meanwhile.
    const bool ejected = !calls.isEmpty();
    QStringList expected;
    if (copied)
        expected << kList;
    if (ejected)
        expected << kList;
    for (const QString& call : calls)
        expected << call + kOptions;
    QCOMPARE(m_udisks.Calls(), expected);
    QCOMPARE(surface.messageBoxes.contains(kEjected), ejected);
    QCOMPARE(surface.messageBoxes.isEmpty(), copied && !ejected);
    // The log keeps the copy's report, with the outcome after it.
    QVERIFY(session.Log().Text().startsWith("Copying new files to"));
    QCOMPARE(session.Log().Text().endsWith(
                 "\r\nEjecting the USB stick ...\r\n\t=> unmounted /dev/sdb1 from " + m_stick +
                 "\r\n\t=> powered off the drive of /dev/sdb1\r\n\r\n" + kEjected + "\r\n"),
             ejected);
    QCOMPARE(surface.paneText.value(kestrel::Pane::Log), session.Log().Text());
}

QTEST_GUILESS_MAIN(EjectAfterCopyTest)
#include "eject_after_copy_test.moc"
