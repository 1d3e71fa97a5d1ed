#pragma once

#include "signify_files.h"

#include <QList>
#include <QMap>
#include <QString>
#include <QStringList>

namespace kestrel {

// A public key the site trusts, and the file it came from.
struct TrustedKey {
    QString file;
    SignifyPublicKey key; // read without a fault
};

// What the site trusts and requires, read once for a copy.
struct SiteTrust {
    QStringList keyFolders; // where the keys were looked for
    QList<TrustedKey> keys; // every NAME.pub of those folders
    // Revoked key numbers (16 lower-case hex digits) and the list naming each.
    QMap<QString, QString> revoked;
    QString policyFile;
    bool requireSignature = false;
    // A key file or revoked list that could not be read: no signature can be
    // trusted. Empty when all were read.
    QString keyFault;
    // The policy could not be read: no firmware can be copied.
    QString policyFault;

    // The keys' folders for the operator: "\"A\"" or "\"A\" and \"B\"".
    QString FoldersShown() const;
};

// How reading a small file of settings or signatures went.
enum class SmallFileRead { Read, Missing, Failed, TooLarge };
// Reads the whole file into bytes when it holds at most limit bytes; on
// Failed, why says what the system said.
SmallFileRead ReadSmallFile(const QString& path, qint64 limit, QByteArray& bytes, QString& why);

// The key folders: those of KESTREL_FLASH_KEYS (DIR[:DIR...], ';' between
// them on Windows) where it is set and not empty, else
// /usr/share/kestrel-flash/keys and /etc/kestrel-flash/keys (on Windows
// "%ProgramData%\Kestrel FlashTool\keys").
QStringList SiteKeyFolders();
// KESTREL_FLASH_POLICY where it is set and not empty, else
// /etc/kestrel-flash/policy.conf (on Windows
// "%ProgramData%\Kestrel FlashTool\policy.conf").
QString SitePolicyFile();

// Reads every "*.pub" and the file "revoked" of each key folder (a missing
// folder or file counts as empty), and the policy (a missing one requires
// nothing).
SiteTrust ReadSiteTrust(const QStringList& keyFolders, const QString& policyFile);

} // namespace kestrel
