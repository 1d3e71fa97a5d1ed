#include "signed_sums.h"

#include "byte_view.h"
#include "ed25519_check.h"
#include "signature_texts.h"

#include <QDir>
#include <QFileInfo>

namespace kestrel {

namespace {

// A signature line, and a list far beyond a release's (as a checksum file).
constexpr qint64 kMaxSignatureBytes = 1024 * 1024 + 4096;

QString Shown(const QString& path) {
    return QDir::toNativeSeparators(path);
}

FirmwareSigner SignerOf(const TrustedKey& trusted) {
    return {QString::fromStdString(KeyNumberHex(trusted.key.keyNumber)),
            QString::fromStdString(KeyName(trusted.key.comment))};
}

} // namespace

QString SignedListName() {
    return QStringLiteral("SHA256SUMS");
}

QString SignatureName() {
    return QStringLiteral("SHA256SUMS.sig");
}

bool CheckSignedSums(const QString& listPath, std::optional<QByteArray> list,
                     const SiteTrust& trust, SignedSums& sums, QString& reason) {
    const QString sigPath = QFileInfo(listPath).dir().filePath(SignatureName());
    const QString shownSig = Shown(sigPath);
    sums = {std::move(list), SignedListName(), {}};
    QByteArray bytes;
    QString why;
    switch (ReadSmallFile(sigPath, kMaxSignatureBytes, bytes, why)) {
    case SmallFileRead::Missing:
        return true; // not signed
    case SmallFileRead::Failed:
        reason = texts::SignatureUnreadable(shownSig, why);
        return false;
    case SmallFileRead::TooLarge:
        reason = texts::SignatureTooLarge(shownSig);
        return false;
    case SmallFileRead::Read:
        break;
    }
    if (!SignatureChecksAvailable()) {
        reason = texts::NoChecksForSignature(shownSig);
        return false;
    }
    const SignifySignature signature = ReadSignifySignature(View(bytes));
    if (signature.fault != SignifyFault::None) {
        reason = texts::SignatureMalformed(shownSig, signature.fault);
        return false;
    }
    if (!trust.keyFault.isEmpty()) {
        reason = trust.keyFault;
        return false;
    }
    if (signature.Embedded()) {
        const QByteArray embedded(signature.message.data(), qsizetype(signature.message.size()));
        if (sums.list && *sums.list != embedded) {
            reason = texts::ListDiffersFromSigned(Shown(listPath), shownSig);
            return false;
        }
        if (!sums.list)
            sums.from = SignatureName();
        sums.list = embedded;
    } else if (!sums.list) {
        reason = texts::ListMissing(shownSig, Shown(listPath));
        return false;
    }

    const QString keyNumber = QString::fromStdString(KeyNumberHex(signature.keyNumber));
    FirmwareSigner named{keyNumber, {}}; // the key's name, where a trusted file gives it
    bool known = false;
    for (const TrustedKey& trusted : trust.keys) {
        if (trusted.key.keyNumber != signature.keyNumber)
            continue;
        if (!known)
            named = SignerOf(trusted);
        known = true;
    }
    if (trust.revoked.contains(keyNumber)) {
        reason = texts::KeyRevoked(shownSig, texts::SignedBy(named.keyNumber, named.name),
                                   trust.revoked.value(keyNumber));
        return false;
    }
    if (!known) {
        reason = texts::UnknownKey(shownSig, keyNumber, trust.FoldersShown());
        return false;
    }
    for (const TrustedKey& trusted : trust.keys) {
        if (trusted.key.keyNumber == signature.keyNumber &&
            VerifyEd25519(trusted.key.key, signature.signature, View(*sums.list))) {
            sums.signer = SignerOf(trusted);
            return true;
        }
    }
    reason = signature.Embedded() ? texts::BadEmbeddedSignature(shownSig)
                                  : texts::BadSignature(shownSig, Shown(listPath));
    return false;
}

} // namespace kestrel
