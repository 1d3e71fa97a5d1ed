#pragma once

#include <QByteArray>
#include <QMap>
#include <QMetaType>
#include <QString>
#include <QStringList>

namespace kestrel::test {

// Checksum files beside two firmware files, and what a copy of the two must
// make of them. In every text, %HW and %SW stand for the SHA-256 of the
// hardware and software file in lower-case hex, %HWU and %SWU in upper case,
// and "%DIR/" for the sources' folder as the copy shows it, with a separator.
struct ChecksumCase {
    QMap<QString, QByteArray> files; // name: content; kFolderMark makes a folder of that name
    QStringList options{};           // kestrel-flash stage options
    QString hwMatched{};             // the sources named by each file's match line;
    QString swMatched{};             // empty: no line
    int refusedItem = -1;            // 0: the hardware file, 1: the software file
    QString reason{};                // why the copy was refused
};

extern const QByteArray kFolderMark;
extern const QString kHwName; // the firmware files' names in the table
extern const QString kSwName;

// Adds the column "sums" and a row per case: match, mismatch, either case of
// hex, the binary marker, a file listed twice, a missing entry, an unreadable
// and a malformed checksum file... With givenValues, also the cases of
// --hw-sha256 and --sw-sha256.
void AddChecksumRows(bool givenValues);

// The text with its stand-ins replaced.
QString Filled(QString text, const QString& folder, const QByteArray& hw, const QByteArray& sw);

// Writes the case's checksum files into folder; false if it cannot.
[[nodiscard]] bool WriteChecksumFiles(const ChecksumCase& sums, const QString& folder,
                                      const QByteArray& hw, const QByteArray& sw);

// The line that says a file's checksum matches, as the log writes it.
QString MatchLine(const QString& sources);

} // namespace kestrel::test

Q_DECLARE_METATYPE(kestrel::test::ChecksumCase)
