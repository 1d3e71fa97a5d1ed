#pragma once

#include "site_trust.h"
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
// SHA-256 each gives for it to `expected`; `signer` is told who signed
// SHA256SUMS, when a trusted key did. Fails, with `reason`, when one of them
// cannot be read, has a line that is not in the form sha256sum writes, does
// not list the file, or lists it twice with different checksums; when the
// signature beside SHA256SUMS does not hold (see CheckSignedSums); and when
// the site's policy cannot be read, or requires a signature and there is none.
bool ReadPublishedSums(const QString& sourcePath, const SiteTrust& trust,
                       QList<ExpectedSha256>& expected, FirmwareSigner& signer, QString& reason);

// A source checked against the SHA-256 it must have before it is copied.
struct CheckedSource {
    QByteArray digest; // what the check read; empty when nothing was expected
    QStringList from;  // who said what it must be, in order
    FirmwareSigner signer{};
};

// Checks the open `source` of `item` against the SHA-256 the operator gave
// and the checksum files beside it, under what the site trusts. When
// anything is expected, or `alwaysRead`, the source is read from its start
// to its end (`size` bytes), telling `progress` how far, and left at its
// start again for the copy. Fails, with `reason`, on a bad checksum file or
// signature, or a mismatch, which names the file and both checksums.
bool CheckSource(const StagingItem& item, QFile& source, qint64 size, const SiteTrust& trust,
                 const ChunkProgress& progress, CheckedSource& checked, QString& reason,
                 bool alwaysRead = false);

} // namespace kestrel
