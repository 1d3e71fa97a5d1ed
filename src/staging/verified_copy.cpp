#include "verified_copy.h"

#include "durable_ops.h"
#include "sha256.h"
#include "staging_texts.h"

#include <QDir>
#include <QFile>

namespace kestrel {

namespace {

constexpr qsizetype kChunkSize = 1 << 20;

QString Shown(const QString& path) {
    return QDir::toNativeSeparators(path);
}

// Writes all of data, going on after partial writes so that the system's
// reason for stopping (disk full, file too large) comes out.
bool WriteAll(QFile& file, const char* data, qsizetype size, QString& reason) {
    while (size > 0) {
        const qint64 written = file.write(data, size);
        if (written <= 0) {
            reason = file.errorString();
            return false;
        }
        data += written;
        size -= written;
    }
    return true;
}

} // namespace

bool CopyToNewFile(QFile& source, qint64 expectedSize, const QString& destination,
                   QByteArray& sourceDigest, const ChunkProgress& progress, QString& reason,
                   const QByteArray& checkedDigest) {
    QFile target(destination);
    if (!target.open(QIODevice::WriteOnly | QIODevice::NewOnly | QIODevice::Unbuffered)) {
        reason = texts::CannotCreate(Shown(destination), target.errorString());
        return false;
    }
    QByteArray buffer(kChunkSize, Qt::Uninitialized);
    Sha256 hash;
    qint64 total = 0;
    for (;;) {
        const qint64 got = source.read(buffer.data(), buffer.size());
        if (got < 0) {
            reason = texts::SourceReadFailed(Shown(source.fileName()), source.errorString());
            return false;
        }
        if (got == 0)
            break;
        total += got;
        if (total > expectedSize) {
            reason = texts::SourceChanged(Shown(source.fileName()));
            return false;
        }
        hash.Add(buffer.constData(), got);
        QString why;
        if (!WriteAll(target, buffer.constData(), got, why)) {
            reason = texts::WriteFailed(Shown(destination), why);
            return false;
        }
        durable::StartWriteBack(target, total - got, got);
        progress(total);
    }
    sourceDigest = hash.Result();
    if (total != expectedSize || (!checkedDigest.isEmpty() && sourceDigest != checkedDigest)) {
        reason = texts::SourceChanged(Shown(source.fileName()));
        return false;
    }
    QString why;
    if (!target.flush()) {
        reason = texts::WriteFailed(Shown(destination), target.errorString());
        return false;
    }
    if (!durable::SyncToMedium(target, why)) {
        reason = texts::SyncFailed(Shown(destination), why);
        return false;
    }
    target.close();
    if (target.error() != QFileDevice::NoError) {
        reason = texts::WriteFailed(Shown(destination), target.errorString());
        return false;
    }
    return true;
}

qint64 HashToEnd(QFile& file, Sha256& hash, const ChunkProgress& progress) {
    QByteArray buffer(kChunkSize, Qt::Uninitialized);
    qint64 total = 0;
    for (;;) {
        const qint64 got = file.read(buffer.data(), buffer.size());
        if (got < 0)
            return -1;
        if (got == 0)
            return total;
        total += got;
        hash.Add(buffer.constData(), got);
        progress(total);
    }
}

bool VerifyFile(const QString& path, qint64 expectedSize, const QByteArray& expectedDigest,
                const ChunkProgress& progress, QString& reason) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly | QIODevice::Unbuffered)) {
        reason = texts::ReadBackFailed(Shown(path), file.errorString());
        return false;
    }
    durable::DropCachedPages(file);
    if (file.size() != expectedSize) {
        reason = texts::SizeMismatch(Shown(path), file.size(), expectedSize);
        return false;
    }
    Sha256 hash;
    const qint64 total = HashToEnd(file, hash, progress);
    if (total < 0) {
        reason = texts::ReadBackFailed(Shown(path), file.errorString());
        return false;
    }
    if (total != expectedSize) {
        reason = texts::SizeMismatch(Shown(path), total, expectedSize);
        return false;
    }
    if (expectedDigest.isEmpty() || hash.Result() != expectedDigest) {
        reason = texts::ContentMismatch(Shown(path));
        return false;
    }
    return true;
}

} // namespace kestrel
