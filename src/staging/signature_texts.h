#pragma once

#include "signify_files.h"

#include <QString>

// The words of the signature checks: the signer as reports name it, and why
// a signed (or unsigned) set is refused, each a clause that says what is
// wrong and what to do. Paths are shown with the platform's separators.
namespace kestrel::texts {

inline QString SignedBy(const QString& keyNumber, const QString& name) {
    return name.isEmpty() ? QStringLiteral("signed by key %1").arg(keyNumber)
                          : QStringLiteral("signed by key %1 (%2)").arg(keyNumber, name);
}
inline QString NotSigned() {
    return QStringLiteral("not signed");
}

// What keeps a signify file from being read.
inline QString FaultText(SignifyFault fault, bool keyFile) {
    switch (fault) {
    case SignifyFault::None:
        break;
    case SignifyFault::NoComment:
        return QStringLiteral("its first line is not an \"untrusted comment:\" line");
    case SignifyFault::NoDataLine:
        return QStringLiteral("nothing follows its comment line");
    case SignifyFault::NotBase64:
        return QStringLiteral("its second line is not base64");
    case SignifyFault::WrongLength:
        return keyFile ? QStringLiteral("its second line does not hold a key of 42 bytes")
                       : QStringLiteral("its second line does not hold a signature of 74 bytes");
    case SignifyFault::NotEd25519:
        return QStringLiteral("it is not of the Ed25519 kind");
    case SignifyFault::TextAfterKey:
        return QStringLiteral("text follows its key line");
    }
    return QString();
}

// The site's settings.
inline QString PolicyUnreadable(const QString& path, const QString& why) {
    return QStringLiteral("cannot read the site's policy \"%1\": %2; have it made readable")
        .arg(path, why);
}
inline QString PolicyLineBad(const QString& path, qsizetype line) {
    return QStringLiteral("line %1 of the site's policy \"%2\" is not \"require-signature = yes\" "
                          "or \"require-signature = no\"; have the policy corrected")
        .arg(QString::number(line), path);
}
inline QString KeyFolderUnreadable(const QString& folder) {
    return QStringLiteral("the key folder \"%1\" cannot be read as a folder; have it made "
                          "readable, or removed when it holds no keys")
        .arg(folder);
}
inline QString KeyFileUnreadable(const QString& path, const QString& why) {
    return QStringLiteral("cannot read the trusted key file \"%1\": %2; have it made readable or "
                          "removed")
        .arg(path, why);
}
inline QString KeyFileMalformed(const QString& path, SignifyFault fault) {
    return QStringLiteral("the trusted key file \"%1\" is not a public key as signify writes it "
                          "(%2); have it replaced by the maker's key file or removed")
        .arg(path, FaultText(fault, true));
}
inline QString RevokedUnreadable(const QString& path, const QString& why) {
    return QStringLiteral("cannot read the list of revoked keys \"%1\": %2; have it made readable")
        .arg(path, why);
}
inline QString RevokedLineBad(const QString& path, qsizetype line) {
    return QStringLiteral("line %1 of the list of revoked keys \"%2\" is not a key number of 16 "
                          "hexadecimal digits; have the list corrected")
        .arg(QString::number(line), path);
}

// Builds without OpenSSL.
inline QString NoChecksForSignature(const QString& signature) {
    return QStringLiteral("\"%1\" signs the firmware, but this build of the tool cannot check "
                          "signatures (it was built without OpenSSL); use a build that checks "
                          "them")
        .arg(signature);
}
inline QString NoChecksForPolicy(const QString& policy) {
    return QStringLiteral("the site's policy \"%1\" requires signed firmware, but this build of "
                          "the tool cannot check signatures (it was built without OpenSSL); use a "
                          "build that checks them")
        .arg(policy);
}

// The signature beside the firmware.
inline QString UnsignedUnderPolicy(const QString& source, const QString& policy) {
    return QStringLiteral("there is no signature SHA256SUMS.sig beside \"%1\", and the site's "
                          "policy \"%2\" requires firmware signed by a trusted key; get the "
                          "firmware with its signed checksum list from its maker")
        .arg(source, policy);
}
inline QString SignatureUnreadable(const QString& path, const QString& why) {
    return QStringLiteral("cannot read the signature \"%1\": %2; make it readable").arg(path, why);
}
inline QString SignatureTooLarge(const QString& path) {
    return QStringLiteral("the signature \"%1\" is too large to be a signed list of checksums; "
                          "get it again from the firmware's maker")
        .arg(path);
}
inline QString SignatureMalformed(const QString& path, SignifyFault fault) {
    return QStringLiteral("\"%1\" is not a signature as signify writes it (%2); get it again from "
                          "the firmware's maker")
        .arg(path, FaultText(fault, false));
}
inline QString ListMissing(const QString& signature, const QString& list) {
    return QStringLiteral("the signature \"%1\" has no checksum list \"%2\" beside it; get the "
                          "list from the firmware's maker and put it beside the signature")
        .arg(signature, list);
}
inline QString ListDiffersFromSigned(const QString& list, const QString& signature) {
    return QStringLiteral("the checksum list \"%1\" differs from the list signed in \"%2\"; get "
                          "both files again from the firmware's maker")
        .arg(list, signature);
}
inline QString KeyRevoked(const QString& signature, const QString& signer, const QString& list) {
    return QStringLiteral("\"%1\" is %2, which is revoked in \"%3\"; get the firmware signed with "
                          "the maker's current key")
        .arg(signature, signer, list);
}
inline QString UnknownKey(const QString& signature, const QString& keyNumber,
                          const QString& folders) {
    return QStringLiteral("\"%1\" is signed by key %2, which is none of the trusted keys in %3; "
                          "use firmware signed by a trusted key, or have the maker's public key "
                          "installed there")
        .arg(signature, keyNumber, folders);
}
inline QString BadSignature(const QString& signature, const QString& list) {
    return QStringLiteral("the signature \"%1\" does not match the checksum list \"%2\": the list "
                          "was changed after it was signed; get both files again from the "
                          "firmware's maker")
        .arg(signature, list);
}
inline QString BadEmbeddedSignature(const QString& signature) {
    return QStringLiteral("the signature in \"%1\" does not match the checksum list it holds: the "
                          "list was changed after it was signed; get the file again from the "
                          "firmware's maker")
        .arg(signature);
}

// The signed list and the chosen file.
inline QString NotInSignedList(const QString& list, const QString& name) {
    return QStringLiteral("the signed checksum list \"%1\" does not list %2; choose a file it "
                          "lists, or get the signed list for this file from the firmware's maker")
        .arg(list, name);
}
inline QString TwiceInSignedList(const QString& list, const QString& name, qsizetype first,
                                 qsizetype second) {
    return QStringLiteral("the signed checksum list \"%1\" lists %2 twice with different "
                          "checksums (lines %3 and %4); get a correct list from the firmware's "
                          "maker")
        .arg(list, name, QString::number(first), QString::number(second));
}

} // namespace kestrel::texts
