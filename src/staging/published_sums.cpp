#include "published_sums.h"

#include "byte_view.h"
#include "checksum_list.h"
#include "copy_report.h"
#include "staging_texts.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <string_view>

namespace kestrel {

namespace {

namespace t = staging_texts;

// Far beyond a release's list of checksums (about 70 bytes a file).
constexpr qint64 kMaxListBytes = 1024 * 1024;

QString Shown(const QString& path) {
    return QDir::toNativeSeparators(path);
}

bool ReadList(const QString& path, QByteArray& text, QString& reason) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        reason = t::ChecksumFileUnreadable(Shown(path), file.errorString());
        return false;
    }
    text = file.read(kMaxListBytes + 1);
    if (file.error() != QFileDevice::NoError) {
        reason = t::ChecksumFileUnreadable(Shown(path), file.errorString());
        return false;
    }
    if (text.size() > kMaxListBytes) {
        reason = t::ChecksumFileTooLarge(Shown(path));
        return false;
    }
    return true;
}

} // namespace

QStringList ChecksumFileNames(const QString& fileName) {
    return {fileName + QStringLiteral(".sha256"), QStringLiteral("SHA256SUMS"),
            QStringLiteral("sha256sums.txt")};
}

bool ReadPublishedSums(const QString& sourcePath, QList<ExpectedSha256>& expected,
                       QString& reason) {
    const QFileInfo source(sourcePath);
    const QString name = source.fileName();
    // Names in a list are the file system's bytes, as sha256sum wrote them.
    const QByteArray nameBytes = QFile::encodeName(name);
    for (const QString& listName : ChecksumFileNames(name)) {
        const QString path = source.dir().filePath(listName);
        const QFileInfo list(path);
        if (!list.exists() && !list.isSymLink())
            continue;
        QByteArray text;
        if (!ReadList(path, text, reason))
            return false;
        const ListedChecksum listed = FindListedChecksum(View(text), View(nameBytes));
        switch (listed.status) {
        case ListedChecksum::Status::Listed:
            expected.append(
                {listName, QByteArray::fromHex(QByteArray::fromStdString(listed.sha256))});
            break;
        case ListedChecksum::Status::NotListed:
            reason = t::ChecksumNotListed(Shown(path), name);
            return false;
        case ListedChecksum::Status::Conflicting:
            reason = t::ChecksumListedTwice(Shown(path), name, qsizetype(listed.line),
                                            qsizetype(listed.otherLine));
            return false;
        case ListedChecksum::Status::Malformed:
            reason = t::ChecksumLineMalformed(Shown(path), qsizetype(listed.line));
            return false;
        }
    }
    return true;
}

bool CheckSource(const StagingItem& item, QFile& source, qint64 size, const ChunkProgress& progress,
                 CheckedSource& checked, QString& reason) {
    QList<ExpectedSha256> expected = item.given;
    if (!ReadPublishedSums(item.sourcePath, expected, reason))
        return false;
    if (expected.isEmpty())
        return true;
    const QString path = Shown(item.sourcePath);
    Sha256 hash;
    const qint64 total = HashToEnd(source, hash, progress);
    if (total < 0) {
        reason = t::SourceReadFailed(path, source.errorString());
        return false;
    }
    if (total != size || !source.seek(0)) {
        reason = t::SourceChanged(path);
        return false;
    }
    checked.digest = hash.Result();
    if (checked.digest.isEmpty()) {
        reason = t::HashFailed(path);
        return false;
    }
    for (const ExpectedSha256& sum : std::as_const(expected)) {
        if (checked.digest != sum.digest) {
            reason = t::ChecksumMismatch(path, DigestHex(checked.digest), sum.from,
                                         DigestHex(sum.digest));
            return false;
        }
        checked.from << sum.from;
    }
    return true;
}

} // namespace kestrel
