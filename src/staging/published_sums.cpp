#include "published_sums.h"

#include "byte_view.h"
#include "checksum_list.h"
#include "copy_report.h"
#include "ed25519_check.h"
#include "signature_texts.h"
#include "signed_sums.h"
#include "staging_texts.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <optional>
#include <string_view>

namespace kestrel {

namespace {

// Far beyond a release's list of checksums (about 70 bytes a file).
constexpr qint64 kMaxListBytes = 1024 * 1024;

QString Shown(const QString& path) {
    return QDir::toNativeSeparators(path);
}

// The list's bytes; none when it does not exist.
bool ReadList(const QString& path, std::optional<QByteArray>& text, QString& reason) {
    QByteArray bytes;
    QString why;
    switch (ReadSmallFile(path, kMaxListBytes, bytes, why)) {
    case SmallFileRead::Missing:
        return true;
    case SmallFileRead::Failed:
        reason = texts::ChecksumFileUnreadable(Shown(path), why);
        return false;
    case SmallFileRead::TooLarge:
        reason = texts::ChecksumFileTooLarge(Shown(path));
        return false;
    case SmallFileRead::Read:
        break;
    }
    text = bytes;
    return true;
}

// Adds what the list says of the file named name to expected; from names
// the list in reports, path in reasons.
bool FindInList(const QByteArray& list, const QString& name, const QString& from,
                const QString& path, bool listSigned, QList<ExpectedSha256>& expected,
                QString& reason) {
    // Names in a list are the file system's bytes, as sha256sum wrote them.
    const ListedChecksum listed = FindListedChecksum(View(list), View(QFile::encodeName(name)));
    switch (listed.status) {
    case ListedChecksum::Status::Listed:
        expected.append({from, QByteArray::fromHex(QByteArray::fromStdString(listed.sha256))});
        return true;
    case ListedChecksum::Status::NotListed:
        reason =
            listSigned ? texts::NotInSignedList(path, name) : texts::ChecksumNotListed(path, name);
        return false;
    case ListedChecksum::Status::Conflicting: {
        const auto first = qsizetype(listed.line);
        const auto second = qsizetype(listed.otherLine);
        reason = listSigned ? texts::TwiceInSignedList(path, name, first, second)
                            : texts::ChecksumListedTwice(path, name, first, second);
        return false;
    }
    case ListedChecksum::Status::Malformed:
        reason = texts::ChecksumLineMalformed(path, qsizetype(listed.line));
        return false;
    }
    return false;
}

} // namespace

QStringList ChecksumFileNames(const QString& fileName) {
    return {fileName + QStringLiteral(".sha256"), QStringLiteral("SHA256SUMS"),
            QStringLiteral("sha256sums.txt")};
}

bool ReadPublishedSums(const QString& sourcePath, const SiteTrust& trust,
                       QList<ExpectedSha256>& expected, FirmwareSigner& signer, QString& reason) {
    if (!trust.policyFault.isEmpty()) {
        reason = trust.policyFault;
        return false;
    }
    if (trust.requireSignature && !SignatureChecksAvailable()) {
        reason = texts::NoChecksForPolicy(Shown(trust.policyFile));
        return false;
    }
    const QFileInfo source(sourcePath);
    const QString name = source.fileName();
    for (const QString& listName : ChecksumFileNames(name)) {
        const QString path = source.dir().filePath(listName);
        std::optional<QByteArray> text;
        if (!ReadList(path, text, reason))
            return false;
        QString from = listName;
        if (listName == SignedListName()) {
            SignedSums sums;
            if (!CheckSignedSums(path, std::move(text), trust, sums, reason))
                return false;
            text = std::move(sums.list);
            from = sums.from;
            signer = sums.signer;
        }
        const QString shownList = Shown(source.dir().filePath(from));
        if (text && !FindInList(*text, name, from, shownList,
                                listName == SignedListName() && signer.Signed(), expected, reason))
            return false;
    }
    if (trust.requireSignature && !signer.Signed()) {
        reason = texts::UnsignedUnderPolicy(Shown(sourcePath), Shown(trust.policyFile));
        return false;
    }
    return true;
}

bool CheckSource(const StagingItem& item, QFile& source, qint64 size, const SiteTrust& trust,
                 const ChunkProgress& progress, CheckedSource& checked, QString& reason,
                 bool alwaysRead) {
    QList<ExpectedSha256> expected = item.given;
    if (!ReadPublishedSums(item.sourcePath, trust, expected, checked.signer, reason))
        return false;
    if (expected.isEmpty() && !alwaysRead)
        return true;
    const QString path = Shown(item.sourcePath);
    Sha256 hash;
    const qint64 total = HashToEnd(source, hash, progress);
    if (total < 0) {
        reason = texts::SourceReadFailed(path, source.errorString());
        return false;
    }
    if (total != size || !source.seek(0)) {
        reason = texts::SourceChanged(path);
        return false;
    }
    checked.digest = hash.Result();
    if (checked.digest.isEmpty()) {
        reason = texts::HashFailed(path);
        return false;
    }
    for (const ExpectedSha256& sum : std::as_const(expected)) {
        if (checked.digest != sum.digest) {
            reason = texts::ChecksumMismatch(path, DigestHex(checked.digest), sum.from,
                                             DigestHex(sum.digest));
            return false;
        }
        checked.from << sum.from;
    }
    return true;
}

} // namespace kestrel
