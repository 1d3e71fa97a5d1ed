// The copy onto the stick through the session, as the window's Copy runs it:
// the handler returns at once, the caller's own events go on at their rate
// while two 64 MB files are copied and verified, and the report comes by
// signal.

#include "firmware_staging.h"
#include "recording_surface.h"
#include "scratch_files.h"
#include "tool_session.h"

#include <QDir>
#include <QElapsedTimer>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

#include <algorithm>

using kestrel::FirmwareStaging;
using kestrel::test::PatternBytes;
using kestrel::test::ReadAll;
using kestrel::test::WriteFile;

class SessionCopyTest : public QObject {
    Q_OBJECT
private slots:
    void eventsGoOnDuringTheCopy();
};

void SessionCopyTest::eventsGoOnDuringTheCopy() {
    constexpr qsizetype kFileBytes = 64 * 1024 * 1024;
    QTemporaryDir dir;
    const QString hwPath = dir.filePath("board_3.rbf");
    const QString swPath = dir.filePath("vx_server_24");
    const QString stick = dir.filePath("stick");
    const QByteArray hw = PatternBytes(kFileBytes, 1);
    const QByteArray sw = PatternBytes(kFileBytes, 2);
    QVERIFY(WriteFile(hwPath, hw) && WriteFile(swPath, sw) && QDir().mkpath(stick));
    kestrel::test::RecordingSurface surface;
    kestrel::ToolSession session(surface, surface);
    surface.fileAnswers = {hwPath, swPath};
    surface.folderAnswers = {stick};
    session.ChooseHwFile();
    session.ChooseSwFile();
    session.ChooseStickFolder();
    const FirmwareStaging& staging = session.Staging();

    // A timer of the caller's, as a run's polling is: its ticks are counted
    // from the press to the copy's report.
    constexpr int kTickMs = 20;
    QTimer ticker;
    ticker.setTimerType(Qt::PreciseTimer);
    ticker.setInterval(kTickMs);
    int ticks = 0;
    qint64 longestGapMs = 0;
    qint64 copyMs = -1;
    QString logAtReport;
    QElapsedTimer clock;
    QElapsedTimer sinceTick;
    connect(&ticker, &QTimer::timeout, this, [&] {
        if (copyMs >= 0)
            return;
        ++ticks;
        longestGapMs = std::max(longestGapMs, sinceTick.restart());
    });
    connect(&staging, &FirmwareStaging::copyEnded, this, [&] {
        copyMs = clock.elapsed();
        logAtReport = session.Log().Text();
    });
    QSignalSpy copied(&staging, &FirmwareStaging::copyEnded);
    QSignalSpy ended(&staging, &FirmwareStaging::workEnded);
    clock.start();
    sinceTick.start();
    ticker.start();

    session.CopyToStick();

    // The handler is back while the copy goes on.
    QVERIFY(staging.CopyRunning());
    QCOMPARE(copied.size(), 0);
    QVERIFY(ended.wait(120000));
    QCOMPARE(copied.size(), 1);
    QVERIFY(copied.first().first().value<kestrel::StickCopyResult>().succeeded);
    QVERIFY(!staging.CopyRunning());
    // The report was in the log when the signal came.
    QVERIFY2(logAtReport.startsWith("Copying new files to \"" + stick +
                                    "\" ...\r\n\t=> board_3.rbf copied\r\n\t=> vx_server_24 "
                                    "copied\r\n\r\nNew files Copied successfully\r\n"),
             qPrintable(logAtReport));
    QCOMPARE(surface.messageBoxes, QStringList());
    // The caller's timer kept its rate all through the copy.
    const qint64 expected = copyMs / kTickMs;
    QVERIFY2(ticks >= expected / 2 && longestGapMs < 500,
             qPrintable(QStringLiteral("%1 ticks of %2 ms in a copy of %3 ms, longest gap %4 ms")
                            .arg(ticks)
                            .arg(kTickMs)
                            .arg(copyMs)
                            .arg(longestGapMs)));
    QCOMPARE(ReadAll(stick + "/firm.rbf"), hw);
    QCOMPARE(ReadAll(stick + "/vx_server"), sw);
}

QTEST_GUILESS_MAIN(SessionCopyTest)
#include "session_copy_test.moc"
