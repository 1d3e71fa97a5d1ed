#pragma once

#include <QByteArray>
#include <QMap>
#include <QMetaType>
#include <QString>
#include <QStringList>
#include <QTemporaryDir>

namespace kestrel::test {

// Checksum files beside two firmware files, and what a copy of the two must
// make of them. In its texts, %HW and %SW stand for the SHA-256 of the
// hardware and software file in lower-case hex, %HWU in upper case, and
// "%DIR/" for the firmware files' folder as the copy shows it.
struct ChecksumCase {
    QMap<QString, QByteArray> files; // name: content; "<folder>" makes a folder of that name
    QStringList options{};           // kestrel-flash stage's
    QString hwMatched{};             // the sources named by each file's match line
    QString swMatched{};
    int refusedItem = -1; // 0: the hardware file, 1: the software file
    QString reason{};     // why the copy was refused
};

extern const QString kHwName; // "board_3.rbf"
extern const QString kSwName; // "vx_server_24"

// Which checksum cases a table holds: those of the files beside the firmware
// (the copy's own rule, whichever face starts it), or those of --hw-sha256 and
// --sw-sha256 (the terminal program's, given on its command line).
enum class ChecksumRows { Published, Given };

// Adds the column "sums" and a row per case of the kind.
void AddChecksumRows(ChecksumRows rows);

// The two firmware files with a case's checksum files beside them, and a
// stick that holds an old pair and the leftover of an interrupted copy.
struct ChecksumBench {
    explicit ChecksumBench(const ChecksumCase& sums);

    QString Source(const QString& name) const { return sources + '/' + name; }
    QString Filled(QString text) const; // the stand-ins replaced
    // The stick as a refused copy leaves it, or with the new pair alone.
    bool StickUntouched() const;
    bool StickHoldsNewPair() const;

    QTemporaryDir dir;
    QString sources = dir.filePath("sources");
    QString stick = dir.filePath("stick");
    QByteArray hw;
    QByteArray sw;
    bool ok = false;
};

} // namespace kestrel::test

Q_DECLARE_METATYPE(kestrel::test::ChecksumCase)
