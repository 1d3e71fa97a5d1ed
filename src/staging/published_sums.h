#pragma once

#include "staging_plan.h"
#include "verified_copy.h"

#include <QByteArray>
#include <QString>
#include <QStringList>

class QFile;

namespace kestrel {

// The checksum files looked for beside a file named `fileName`, in the
// order they are read: "<fileName>.sha256", "SHA256SUMS", "sha256sums.txt".
QStringList ChecksumFileNames(const QString& fileName);

// Reads every checksum file that lies beside `sourcePath` and adds the
// SHA-256 each gives for it to `expected`. Fails, with `reason`, when one of
// them cannot be read, has a line that is not in the form sha256sum writes,
// does not list the file, or lists it twice with different checksums.
bool ReadPublishedSums(const QString& sourcePath, QList<ExpectedSha256>& expected, QString& reason);

// A source checked against the SHA-256 it must have before it is copied.
struct CheckedSource {
    QByteArray digest; // what the check read; empty when nothing was expected
    QStringList from;  // who said what it must be, in order
};

// Checks the open `source` of `item` against the SHA-256 the operator gave
// and the checksum files beside it. When anything is expected, the source is
// read from its start to its end (`size` bytes), telling `progress` how far,
// and left at its start again for the copy. Fails, with `reason`, on a bad checksum file or a
// mismatch, which names the file and both checksums.
bool CheckSource(const StagingItem& item, QFile& source, qint64 size, const ChunkProgress& progress,
                 CheckedSource& checked, QString& reason);

} // namespace kestrel
