#pragma once

#include <QString>
#include <QStringList>

// Keys and signed checksum lists made by Debian's signify-openbsd.
namespace kestrel::test {

QString SignifyProgram(); // empty when it is not installed

// FOLDER/NAME.pub (commented "COMMENT public key") and FOLDER/NAME.sec.
bool MakeSignifyKey(const QString& folder, const QString& name, const QString& comment);

// SHA256SUMS.sig beside the list: detached, or with the list embedded.
bool SignList(const QString& secretKey, const QString& list, bool embedded);

// The key number of a public key file: 16 lower-case hex digits.
QString KeyNumberOf(const QString& publicKey);

// A SHA256SUMS of the files (in one folder) beside them, signed detached with
// KEYFOLDER/KEY.sec, made ("KEY release key") if missing; the key's number.
QString SignFiles(const QStringList& files, const QString& keyFolder, const QString& key);

} // namespace kestrel::test
