#pragma once

#include "sha256.h"

#include <QByteArray>
#include <QString>
#include <QtGlobal>

#include <functional>

class QFile;

namespace kestrel {

// Told the bytes done so far after each chunk.
using ChunkProgress = std::function<void(qint64 done)>;

// Copies the open `source`, expected to hold `expectedSize` bytes, into a new
// file at `destination` (which must not exist yet), checking every write, and
// forces it onto the medium before closing it. `sourceDigest` receives the
// SHA-256 of what was read from the source; when `checkedDigest` is given,
// it must be the same (the source was checked before and has not changed
// since). On failure `reason` says which file failed and why; the caller
// removes the partial destination.
bool CopyToNewFile(QFile& source, qint64 expectedSize, const QString& destination,
                   QByteArray& sourceDigest, const ChunkProgress& progress, QString& reason,
                   const QByteArray& checkedDigest = {});

// Reads the open file from where it stands to its end and adds every byte to
// `hash`. Returns the number of bytes read, or -1 when a read failed (the
// file's errorString says why).
qint64 HashToEnd(QFile& file, Sha256& hash, const ChunkProgress& progress);

// Reads `path` back, from the medium rather than the cache where the system
// allows, and checks that it holds exactly `expectedSize` bytes with the
// SHA-256 `expectedDigest`.
bool VerifyFile(const QString& path, qint64 expectedSize, const QByteArray& expectedDigest,
                const ChunkProgress& progress, QString& reason);

} // namespace kestrel
