#pragma once

#include <QString>
#include <QStringList>

// Keys and signatures made by Debian's signify-openbsd, as a firmware's
// maker makes them.
namespace kestrel::test {

// The program's path; empty when it is not installed.
QString SignifyProgram();

// Makes FOLDER/NAME.pub and FOLDER/NAME.sec without a passphrase; signify
// comments the public key "COMMENT public key".
bool MakeSignifyKey(const QString& folder, const QString& name, const QString& comment);

// Signs the list with the secret key into SHA256SUMS.sig beside it: detached
// (signify -S) or with the list embedded (signify -S -e).
bool SignList(const QString& secretKey, const QString& list, bool embedded);

// The key number of a public key file: 16 lower-case hex digits.
QString KeyNumberOf(const QString& publicKey);

// Lists the files (all in one folder) by name and SHA-256 in a SHA256SUMS
// beside them and signs it, detached, with KEYFOLDER/KEY.sec; the key's
// number, or nothing when that failed.
QString SignFiles(const QStringList& files, const QString& keyFolder, const QString& key);

} // namespace kestrel::test
