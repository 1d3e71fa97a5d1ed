// kestrel-flash stage: the verified copy onto the stick, from a terminal.

#include "checksum_cases.h"
#include "flash_process.h"
#include "signify_keys.h"

#include <QFile>
#include <QJsonArray>
#include <QRandomGenerator>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTest>

using namespace kestrel::test;

namespace {

QByteArray RandomBytes(qsizetype size) {
    QByteArray bytes(size, Qt::Uninitialized);
    QRandomGenerator generator(static_cast<quint32>(size));
    for (char& byte : bytes)
        byte = static_cast<char>(generator.bounded(256));
    return bytes;
}

bool WriteFile(const QString& path, const QByteArray& bytes) {
    QFile file(path);
    return file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size();
}

QByteArray ReadFile(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

// Two firmware files and an empty stick.
struct Bench {
    Bench() {
        ok = dir.isValid() && QDir(dir.path()).mkdir("stick") && WriteFile(Hw(), hw) &&
             WriteFile(Sw(), sw);
    }
    QString Hw() const { return dir.filePath("camera_2_6.rbf"); }
    QString Sw() const { return dir.filePath("vx_server_3_9"); }
    QString Stick() const { return dir.filePath("stick"); }

    QTemporaryDir dir;
    QByteArray hw = RandomBytes(3 * 1024 * 1024 + 17);
    QByteArray sw = RandomBytes(700 * 1024);
    bool ok = false;
};

} // namespace

class FlashStageTest : public QObject {
    Q_OBJECT
private slots:
    void copiesAndVerifiesBothFiles();
    void jsonOfACopy();
    void badChoicesFailAndLeaveTheStickAlone_data();
    void badChoicesFailAndLeaveTheStickAlone();
    void checksumsBeforeTheCopy_data() { AddChecksumRows(ChecksumRows::Given); }
    void checksumsBeforeTheCopy();
    void signedFirmwareVerifiedThenStaged();
};

void FlashStageTest::copiesAndVerifiesBothFiles() {
    Bench bench;
    QVERIFY(bench.ok);
    const FlashRun run = RunFlash({"stage", "--hw", bench.Hw(), "--sw", bench.Sw(), bench.Stick()});
    QVERIFY(run.finished);
    QCOMPARE(run.exitCode, 0);
    QCOMPARE(ReadFile(bench.Stick() + "/firm.rbf"), bench.hw);
    QCOMPARE(ReadFile(bench.Stick() + "/vx_server"), bench.sw);
    QCOMPARE(QDir(bench.Stick()).entryList(QDir::Files | QDir::Hidden),
             (QStringList{"firm.rbf", "vx_server"}));
    const QString p = bench.Stick() + ": ";
    const QStringList lines = run.OutLines();
    QCOMPARE(
        lines.mid(0, 9),
        (QStringList{p + "copying", p + "Copying new files to \"" + bench.Stick() + "\" ...",
                     p + "=> camera_2_6.rbf copied",
                     p + "verified: " + QString::number(bench.hw.size()) + " bytes, SHA-256 " +
                         QCryptographicHash::hash(bench.hw, QCryptographicHash::Sha256).toHex(),
                     p + "not signed", p + "=> vx_server_3_9 copied",
                     p + "verified: " + QString::number(bench.sw.size()) + " bytes, SHA-256 " +
                         QCryptographicHash::hash(bench.sw, QCryptographicHash::Sha256).toHex(),
                     p + "not signed", p + "New files Copied successfully"}));
    QCOMPARE(lines.last(), QStringLiteral("Succeeded."));
    const qsizetype width = bench.Stick().size();
    QCOMPARE(lines.at(lines.size() - 3),
             QStringLiteral("FOLDER").leftJustified(width) + "  RESULT  TIME");
    // However long the stick took to take the files.
    QVERIFY(QRegularExpression("^" + QRegularExpression::escape(bench.Stick()) +
                               "  ok      \\d+:\\d\\d$")
                .match(lines.at(lines.size() - 2))
                .hasMatch());
}

void FlashStageTest::jsonOfACopy() {
    Bench bench;
    QVERIFY(bench.ok);
    const QByteArray hwSha256 = QCryptographicHash::hash(bench.hw, QCryptographicHash::Sha256);
    const QByteArray swSha256 = QCryptographicHash::hash(bench.sw, QCryptographicHash::Sha256);
    QVERIFY(WriteFile(bench.dir.filePath("SHA256SUMS"), swSha256.toHex() + "  vx_server_3_9\n" +
                                                            hwSha256.toHex() +
                                                            " *camera_2_6.rbf\n"));
    const FlashRun run = RunFlash({"stage", "--json", "--hw", bench.Hw(), "--sw", bench.Sw(),
                                   "--sw-sha256", swSha256.toHex().toUpper(), bench.Stick()});
    QVERIFY(run.finished);
    QCOMPARE(run.exitCode, 0);
    const QList<QJsonObject> events = run.JsonLines();
    QVERIFY2(events.size() > 3, run.out.constData());
    int lastPercent = -1;
    for (const QJsonObject& event : events) {
        if (event.value("event").toString() != QLatin1String("progress"))
            continue;
        QVERIFY(event.value("percent").toInt() > lastPercent);
        lastPercent = event.value("percent").toInt();
    }
    QCOMPARE(lastPercent, 100);
    const QJsonObject summary = events.last();
    QCOMPARE(summary.value("command").toString(), QStringLiteral("stage"));
    QCOMPARE(summary.value("ok").toBool(), true);
    const QJsonObject job = summary.value("jobs").toArray().at(0).toObject();
    QCOMPARE(job.value("result").toString(), QStringLiteral("ok"));
    // Both files' SHA-256 in full, for a production record; the result
    // event carries the same.
    const QJsonArray files{QJsonObject{{"name", "camera_2_6.rbf"},
                                       {"storedAs", "firm.rbf"},
                                       {"bytes", bench.hw.size()},
                                       {"sha256", QString::fromLatin1(hwSha256.toHex())},
                                       {"checksums", QJsonArray{"SHA256SUMS"}},
                                       {"signedBy", QJsonValue::Null}},
                           QJsonObject{{"name", "vx_server_3_9"},
                                       {"storedAs", "vx_server"},
                                       {"bytes", bench.sw.size()},
                                       {"sha256", QString::fromLatin1(swSha256.toHex())},
                                       {"checksums", QJsonArray{"--sw-sha256", "SHA256SUMS"}},
                                       {"signedBy", QJsonValue::Null}}};
    QCOMPARE(job.value("files").toArray(), files);
    QCOMPARE(events.at(events.size() - 2).value("files").toArray(), files);
}

void FlashStageTest::badChoicesFailAndLeaveTheStickAlone_data() {
    QTest::addColumn<QString>("which");
    QTest::addColumn<QString>("message");
    QTest::newRow("no hardware file") << "hw"
                                      << "The hardware firmware file %1 does not exist";
    QTest::newRow("no software file") << "sw"
                                      << "The software firmware file %1 does not exist";
    QTest::newRow("no stick") << "stick"
                              << "The folder %1 does not exist.";
    QTest::newRow("a folder as the file") << "hw-folder"
                                          << "The hardware firmware file %1 does";
    QTest::newRow("empty hardware file") << "hw-empty"
                                         << "camera_2_6.rbf NOT copied";
}

void FlashStageTest::badChoicesFailAndLeaveTheStickAlone() {
    QFETCH(QString, which);
    QFETCH(QString, message);
    Bench bench;
    QVERIFY(bench.ok);
    QString hw = bench.Hw();
    QString sw = bench.Sw();
    QString stick = bench.Stick();
    QString named;
    if (which == "hw")
        named = hw = bench.dir.filePath("missing.rbf");
    else if (which == "sw")
        named = sw = bench.dir.filePath("vx_server_missing");
    else if (which == "stick")
        named = stick = bench.dir.filePath("no-stick");
    else if (which == "hw-folder")
        named = hw = bench.Stick();
    else
        QVERIFY(WriteFile(hw, QByteArray()));
    const FlashRun run = RunFlash({"stage", "--hw", hw, "--sw", sw, stick});
    QVERIFY(run.finished);
    QCOMPARE(run.exitCode, 1);
    const QString out = QString::fromUtf8(run.out);
    QVERIFY2(out.contains(message.contains("%1") ? message.arg(named) : message), qPrintable(out));
    QVERIFY(out.contains("FAILED: copy failed"));
    QVERIFY(!out.contains("New files Copied successfully"));
    QCOMPARE(QDir(bench.Stick()).entryList(QDir::Files | QDir::Hidden), QStringList());
}

void FlashStageTest::checksumsBeforeTheCopy() {
    QFETCH(ChecksumCase, sums);
    const ChecksumBench bench(sums);
    QVERIFY(bench.ok);
    QStringList arguments{"stage", "--hw", bench.Source(kHwName), "--sw", bench.Source(kSwName)};
    for (const QString& option : std::as_const(sums.options))
        arguments << bench.Filled(option);

    const FlashRun run = RunFlash(arguments << bench.stick);

    QVERIFY(run.finished);
    QCOMPARE(run.exitCode, sums.refusedItem < 0 ? 0 : 1);
    const QStringList lines = run.OutLines();
    const QString p = bench.stick + ": ";
    if (sums.refusedItem < 0) {
        // The match line follows the verified line; without one, the
        // signature's line does.
        const qsizetype hwAt = lines.indexOf(p + "=> " + kHwName + " copied");
        const qsizetype swAt = lines.indexOf(p + "=> " + kSwName + " copied");
        QVERIFY2(hwAt > 0 && swAt > 0, run.out.constData());
        QCOMPARE(
            lines.value(hwAt + 2),
            p + (sums.hwMatched.isEmpty() ? "not signed" : "checksum matches " + sums.hwMatched));
        QCOMPARE(
            lines.value(swAt + 2),
            p + (sums.swMatched.isEmpty() ? "not signed" : "checksum matches " + sums.swMatched));
        QVERIFY(bench.StickHoldsNewPair());
        return;
    }
    const QString name = sums.refusedItem == 0 ? kHwName : kSwName;
    // The reason is told once, in the summary.
    QVERIFY2(lines.count(p + "Copying the firmware files to the USB stick failed: " + name + ": " +
                         bench.Filled(sums.reason) +
                         ". The files on the USB stick were left unchanged.") == 1,
             run.out.constData());
    QVERIFY(bench.StickUntouched());
}

void FlashStageTest::signedFirmwareVerifiedThenStaged() {
    if (SignifyProgram().isEmpty())
        QSKIP("signify-openbsd is not installed (Debian package signify-openbsd)");
    Bench bench;
    const QString keys = bench.dir.filePath("keys");
    QVERIFY(bench.ok && QDir().mkpath(keys));
    const QString number = SignFiles({bench.Hw(), bench.Sw()}, keys, "maker");
    qputenv("KESTREL_FLASH_KEYS", keys.toLocal8Bit()); // the program inherits it
    const QStringList files{"--hw", bench.Hw(), "--sw", bench.Sw()};

    // verify: the verdict, and nothing on the stick.
    const QJsonArray verified =
        SummaryJob(RunFlash(QStringList{"verify", "--json"} << files)).value("files").toArray();
    QCOMPARE(verified.size(), 2);
    for (const QJsonValue file : verified)
        QCOMPARE(file.toObject().value("signedBy").toObject(),
                 (QJsonObject{{"key", number}, {"name", "maker release key"}}));
    QCOMPARE(QDir(bench.Stick()).entryList(QDir::Files | QDir::Hidden), QStringList());

    const FlashRun staged = RunFlash(QStringList{"stage"} << files << bench.Stick());
    QCOMPARE(staged.exitCode, 0);
    QCOMPARE(staged.OutLines().count(bench.Stick() + ": signed by key " + number +
                                     " (maker release key)"),
             2);

    // One byte more in the list: verify refuses (why: the staging table's).
    const QString list = bench.dir.filePath("SHA256SUMS");
    QVERIFY(WriteFile(list, ReadFile(list) + "\n"));
    const FlashRun refused = RunFlash(QStringList{"verify"} << files);
    QCOMPARE(refused.exitCode, 1);
    QVERIFY(refused.out.contains("+ vx_server_3_9: A copy of the firmware files to a USB stick "
                                 "would be refused: camera_2_6.rbf: the signature \""));
}

QTEST_MAIN(FlashStageTest)
#include "flash_stage_test.moc"
