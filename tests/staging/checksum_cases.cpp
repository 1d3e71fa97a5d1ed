#include "checksum_cases.h"

#include "scratch_files.h"

#include <QCryptographicHash>
#include <QDir>
#include <QFile>
#include <QTest>

namespace kestrel::test {

const QString kHwName = QStringLiteral("board_3.rbf");
const QString kSwName = QStringLiteral("vx_server_24");

namespace {

const QByteArray kFolder = "<folder>";

QString Hex(const QByteArray& content) {
    return QString::fromLatin1(
        QCryptographicHash::hash(content, QCryptographicHash::Sha256).toHex());
}

// What the system says when a folder is opened as a file.
QString FolderOpenError() {
    QFile folder(QDir::tempPath());
    return folder.open(QIODevice::ReadOnly) ? QString() : folder.errorString();
}

void Match(const char* row, const QMap<QString, QByteArray>& files, const QString& hw,
           const QString& sw, const QStringList& options = {}) {
    QTest::newRow(row) << ChecksumCase{files, options, hw, sw};
}

void Refuse(const char* row, const QMap<QString, QByteArray>& files, int item,
            const QString& reason, const QStringList& options = {}) {
    QTest::newRow(row) << ChecksumCase{files, options, {}, {}, item, reason};
}

} // namespace

void AddChecksumRows(ChecksumRows rows) {
    QTest::addColumn<ChecksumCase>("sums");
    const QString sums = QStringLiteral("SHA256SUMS");
    const QByteArray both = "%HW  board_3.rbf\n%SW  vx_server_24\n";
    const QString inSums = QStringLiteral("the checksum file \"%DIR/SHA256SUMS\"");
    const QString hwDiffers = QStringLiteral("\"%DIR/board_3.rbf\" has SHA-256 %HW, but ");
    const QString swDiffers = QStringLiteral("\"%DIR/vx_server_24\" has SHA-256 %SW, but ");

    if (rows == ChecksumRows::Given) {
        Match("--hw-sha256 and two checksum files agree",
              {{"board_3.rbf.sha256", "%HW  board_3.rbf\n"}, {sums, both}},
              "--hw-sha256, board_3.rbf.sha256 and SHA256SUMS", sums, {"--hw-sha256", "%HWU"});
        Refuse("--sw-sha256 differs", {}, 1, swDiffers + "--sw-sha256 gives %HW",
               {"--sw-sha256", "%HW"});
        return;
    }
    Match("SHA256SUMS lists both", {{sums, both}}, sums, sums);
    Match("FILE.sha256, upper case, binary marker", {{"board_3.rbf.sha256", "%HWU *board_3.rbf\n"}},
          "board_3.rbf.sha256", "");
    Match("sha256sums.txt with CRLF and ./",
          {{"sha256sums.txt", "%SW  vx_server_24\r\n%HW  ./board_3.rbf\r\n"}}, "sha256sums.txt",
          "sha256sums.txt");
    Match("listed twice with the same sum", {{sums, both + "%HWU *board_3.rbf\n"}}, sums, sums);
    Refuse("hardware file differs", {{sums, "%SW  board_3.rbf\n%SW  vx_server_24\n"}}, 0,
           hwDiffers + "SHA256SUMS gives %SW");
    Refuse("software file differs from FILE.sha256", {{"vx_server_24.sha256", "%HW  vx_server_24"}},
           1, swDiffers + "vx_server_24.sha256 gives %HW");
    Refuse("FILE.sha256 agrees, SHA256SUMS differs",
           {{"board_3.rbf.sha256", "%HW  board_3.rbf\n"}, {sums, "%SW  board_3.rbf\n"}}, 0,
           hwDiffers + "SHA256SUMS gives %SW");
    Refuse("listed twice with different sums", {{sums, both + "%SW  board_3.rbf\n"}}, 0,
           inSums + " lists board_3.rbf twice with different checksums (lines 1 and 3)");
    Refuse("missing entry", {{sums, "%SW  vx_server_24\n"}}, 0,
           inSums + " does not list board_3.rbf");
    Refuse("unreadable checksum file", {{sums, kFolder}}, 0,
           "cannot read " + inSums + ": " + FolderOpenError());
    Refuse("malformed line", {{sums, "%HW  board_3.rbf\n%SW vx_server_24\n"}}, 0,
           "line 2 of " + inSums +
               " is not a checksum line as sha256sum writes it (64 hexadecimal digits, two "
               "spaces or a space and *, the file name)");
    Refuse("too large", {{sums, QByteArray(1024 * 1024 + 1, '#')}}, 0,
           inSums + " is too large to be a list of checksums");
}

ChecksumBench::ChecksumBench(const ChecksumCase& sums)
    : hw(PatternBytes(300 * 1024 + 17, 1)), sw(PatternBytes(200 * 1024 + 5, 2)) {
    ok = QDir().mkpath(sources) && QDir().mkpath(stick) && WriteFile(Source(kHwName), hw) &&
         WriteFile(Source(kSwName), sw) && WriteFile(stick + "/firm.rbf", "old hardware") &&
         WriteFile(stick + "/vx_server", "old software") &&
         WriteFile(stick + "/.firm.rbf.kestrel-tmp", "half a");
    for (auto file = sums.files.cbegin(); ok && file != sums.files.cend(); ++file) {
        ok = file.value() == kFolder
                 ? QDir().mkpath(Source(file.key()))
                 : WriteFile(Source(file.key()),
                             Filled(QString::fromLatin1(file.value())).toLatin1());
    }
}

QString ChecksumBench::Filled(QString text) const {
    return text.replace("%HWU", Hex(hw).toUpper())
        .replace("%HW", Hex(hw))
        .replace("%SW", Hex(sw))
        .replace("%DIR/", QDir::toNativeSeparators(sources + '/'));
}

bool ChecksumBench::StickUntouched() const {
    return FolderEntries(stick) == QStringList{".firm.rbf.kestrel-tmp", "firm.rbf", "vx_server"} &&
           ReadAll(stick + "/firm.rbf") == "old hardware" &&
           ReadAll(stick + "/vx_server") == "old software" &&
           ReadAll(stick + "/.firm.rbf.kestrel-tmp") == "half a";
}

bool ChecksumBench::StickHoldsNewPair() const {
    return FolderEntries(stick) == QStringList{"firm.rbf", "vx_server"} &&
           ReadAll(stick + "/firm.rbf") == hw && ReadAll(stick + "/vx_server") == sw;
}

} // namespace kestrel::test
