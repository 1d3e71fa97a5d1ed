#include "checksum_cases.h"

#include "scratch_files.h"

#include <QCryptographicHash>
#include <QDir>
#include <QFile>
#include <QTest>

namespace kestrel::test {

const QByteArray kFolderMark = QByteArrayLiteral("<folder>");
const QString kHwName = QStringLiteral("board_3.rbf");
const QString kSwName = QStringLiteral("vx_server_24");

namespace {

QString Hex(const QByteArray& content) {
    return QString::fromLatin1(
        QCryptographicHash::hash(content, QCryptographicHash::Sha256).toHex());
}

// What the system says when a folder is opened as a file.
QString FolderOpenError() {
    QFile folder(QDir::tempPath());
    return folder.open(QIODevice::ReadOnly) ? QString() : folder.errorString();
}

void Row(const char* name, const ChecksumCase& sums) {
    QTest::newRow(name) << sums;
}

} // namespace

void AddChecksumRows(bool givenValues) {
    QTest::addColumn<ChecksumCase>("sums");
    const QByteArray both = "%HW  board_3.rbf\n%SW  vx_server_24\n";
    const QString sums = QStringLiteral("SHA256SUMS");
    const QString inSums = "the checksum file \"%DIR/SHA256SUMS\"";
    const QString hwMismatch = "\"%DIR/board_3.rbf\" has SHA-256 %HW, but ";

    Row("no checksum file", {});
    Row("SHA256SUMS lists both", {{{sums, both}}, {}, sums, sums});
    Row("FILE.sha256, upper case, binary marker",
        {{{"board_3.rbf.sha256", "%HWU *board_3.rbf\n"}}, {}, "board_3.rbf.sha256", ""});
    Row("sha256sums.txt with CRLF and ./",
        {{{"sha256sums.txt", "%SW  vx_server_24\r\n%HW  ./board_3.rbf\r\n"}},
         {},
         "sha256sums.txt",
         "sha256sums.txt"});
    Row("listed twice with the same sum", {{{sums, both + "%HWU *board_3.rbf\n"}}, {}, sums, sums});
    Row("two checksum files agree", {{{"board_3.rbf.sha256", "%HW  board_3.rbf\n"}, {sums, both}},
                                     {},
                                     "board_3.rbf.sha256 and SHA256SUMS",
                                     sums});
    Row("hardware file differs", {{{sums, "%SW  board_3.rbf\n%SW  vx_server_24\n"}},
                                  {},
                                  "",
                                  "",
                                  0,
                                  hwMismatch + "SHA256SUMS gives %SW"});
    Row("software file differs",
        {{{sums, "%HW  board_3.rbf\n%HW  vx_server_24\n"}},
         {},
         "",
         "",
         1,
         "\"%DIR/vx_server_24\" has SHA-256 %SW, but SHA256SUMS gives %HW"});
    Row("FILE.sha256 agrees, SHA256SUMS differs",
        {{{"board_3.rbf.sha256", "%HW  board_3.rbf\n"}, {sums, "%SW  board_3.rbf\n"}},
         {},
         "",
         "",
         0,
         hwMismatch + "SHA256SUMS gives %SW"});
    Row("listed twice with different sums",
        {{{sums, both + "%SW  board_3.rbf\n"}},
         {},
         "",
         "",
         0,
         inSums + " lists board_3.rbf twice with different checksums (lines 1 and 3)"});
    Row("missing entry",
        {{{sums, "%SW  vx_server_24\n"}}, {}, "", "", 0, inSums + " does not list board_3.rbf"});
    Row("FILE.sha256 naming another file",
        {{{"vx_server_24.sha256", "%SW  vx_server_23\n"}},
         {},
         "",
         "",
         1,
         "the checksum file \"%DIR/vx_server_24.sha256\" does not list vx_server_24"});
    Row("unreadable checksum file",
        {{{sums, kFolderMark}}, {}, "", "", 0, "cannot read " + inSums + ": " + FolderOpenError()});
    Row("malformed line",
        {{{sums, "%HW  board_3.rbf\n%SW vx_server_24\n"}},
         {},
         "",
         "",
         0,
         "line 2 of " + inSums +
             " is not a checksum line as sha256sum writes it (64 hexadecimal digits, two "
             "spaces or a space and *, the file name)"});
    Row("too large to be a checksum file", {{{sums, QByteArray(1024 * 1024 + 1, '#')}},
                                            {},
                                            "",
                                            "",
                                            0,
                                            inSums + " is too large to be a list of checksums"});
    if (!givenValues)
        return;
    Row("--hw-sha256 matches", {{}, {"--hw-sha256", "%HWU"}, "--hw-sha256", ""});
    Row("--sw-sha256 differs",
        {{},
         {"--sw-sha256", "%HW"},
         "",
         "",
         1,
         "\"%DIR/vx_server_24\" has SHA-256 %SW, but --sw-sha256 gives %HW"});
    Row("--hw-sha256 and two checksum files agree",
        {{{"board_3.rbf.sha256", "%HW  board_3.rbf\n"}, {sums, both}},
         {"--hw-sha256", "%HW"},
         "--hw-sha256, board_3.rbf.sha256 and SHA256SUMS",
         sums});
    Row("--hw-sha256 agrees, SHA256SUMS differs", {{{sums, "%SW  board_3.rbf\n"}},
                                                   {"--hw-sha256", "%HW"},
                                                   "",
                                                   "",
                                                   0,
                                                   hwMismatch + "SHA256SUMS gives %SW"});
}

QString Filled(QString text, const QString& folder, const QByteArray& hw, const QByteArray& sw) {
    return text.replace("%HWU", Hex(hw).toUpper())
        .replace("%SWU", Hex(sw).toUpper())
        .replace("%HW", Hex(hw))
        .replace("%SW", Hex(sw))
        .replace("%DIR/", QDir::toNativeSeparators(folder + QLatin1Char('/')));
}

bool WriteChecksumFiles(const ChecksumCase& sums, const QString& folder, const QByteArray& hw,
                        const QByteArray& sw) {
    for (auto file = sums.files.cbegin(); file != sums.files.cend(); ++file) {
        const QString path = folder + QLatin1Char('/') + file.key();
        const bool written =
            file.value() == kFolderMark
                ? QDir().mkpath(path)
                : WriteFile(path,
                            Filled(QString::fromLatin1(file.value()), folder, hw, sw).toLatin1());
        if (!written)
            return false;
    }
    return true;
}

QString MatchLine(const QString& sources) {
    return sources.isEmpty() ? QString() : "\t   checksum matches " + sources + "\r\n";
}

} // namespace kestrel::test
