#include "site_trust.h"

#include "byte_view.h"
#include "signature_texts.h"
#include "site_rules.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

namespace kestrel {

namespace {

constexpr qint64 kMaxSettingsBytes = 64 * 1024; // far beyond a key, a policy or a list of keys

QString Shown(const QString& path) {
    return QDir::toNativeSeparators(path);
}

// The file's bytes, or a fault (a file too large reads as unreadable).
bool ReadSetting(const QString& path, QByteArray& bytes, QString& why) {
    switch (ReadSmallFile(path, kMaxSettingsBytes, bytes, why)) {
    case SmallFileRead::Read:
    case SmallFileRead::Missing:
        return true;
    case SmallFileRead::TooLarge:
        why = QStringLiteral("it holds more than %1 bytes").arg(kMaxSettingsBytes);
        return false;
    case SmallFileRead::Failed:
        break;
    }
    return false;
}

void ReadKeys(const QString& folder, SiteTrust& trust) {
    const QDir dir(folder);
    // A folder that cannot be listed would look like one without keys.
    if (QFileInfo::exists(folder) && (!QFileInfo(folder).isDir() || !dir.isReadable())) {
        trust.keyFault = texts::KeyFolderUnreadable(Shown(folder));
        return;
    }
    const QStringList names =
        dir.entryList({QStringLiteral("*.pub")}, QDir::Files | QDir::Hidden, QDir::Name);
    for (const QString& name : names) {
        const QString path = dir.filePath(name);
        QByteArray bytes;
        QString why;
        if (!ReadSetting(path, bytes, why)) {
            trust.keyFault = texts::KeyFileUnreadable(Shown(path), why);
            return;
        }
        const SignifyPublicKey key = ReadSignifyPublicKey(View(bytes));
        if (key.fault != SignifyFault::None) {
            trust.keyFault = texts::KeyFileMalformed(Shown(path), key.fault);
            return;
        }
        trust.keys.append({path, key});
    }
}

void ReadRevoked(const QString& folder, SiteTrust& trust) {
    const QString path = QDir(folder).filePath(QStringLiteral("revoked"));
    QByteArray bytes;
    QString why;
    if (!ReadSetting(path, bytes, why)) {
        trust.keyFault = texts::RevokedUnreadable(Shown(path), why);
        return;
    }
    const RevokedKeys revoked = ReadRevokedKeys(View(bytes));
    if (revoked.badLine != 0) {
        trust.keyFault = texts::RevokedLineBad(Shown(path), qsizetype(revoked.badLine));
        return;
    }
    for (const KeyNumber& number : revoked.keys)
        trust.revoked.insert(QString::fromStdString(KeyNumberHex(number)), Shown(path));
}

void ReadPolicy(SiteTrust& trust) {
    QByteArray bytes;
    QString why;
    const QString shown = Shown(trust.policyFile);
    if (!ReadSetting(trust.policyFile, bytes, why)) {
        trust.policyFault = texts::PolicyUnreadable(shown, why);
        return;
    }
    const SitePolicy policy = ReadSitePolicy(View(bytes));
    if (policy.badLine != 0)
        trust.policyFault = texts::PolicyLineBad(shown, qsizetype(policy.badLine));
    trust.requireSignature = policy.requireSignature;
}

#ifdef Q_OS_WIN
// The site's settings on Windows: "%ProgramData%\\Kestrel FlashTool".
QString SiteFolder() {
    return QDir::fromNativeSeparators(
               qEnvironmentVariable("ProgramData", QStringLiteral("C:\\ProgramData"))) +
           QStringLiteral("/Kestrel FlashTool");
}
#endif

} // namespace

SmallFileRead ReadSmallFile(const QString& path, qint64 limit, QByteArray& bytes, QString& why) {
    const QFileInfo info(path);
    if (!info.exists() && !info.isSymLink())
        return SmallFileRead::Missing;
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        why = file.errorString();
        return SmallFileRead::Failed;
    }
    bytes = file.read(limit + 1);
    if (file.error() != QFileDevice::NoError) {
        why = file.errorString();
        return SmallFileRead::Failed;
    }
    return bytes.size() > limit ? SmallFileRead::TooLarge : SmallFileRead::Read;
}

QString SiteTrust::FoldersShown() const {
    QStringList quoted;
    for (const QString& folder : keyFolders)
        quoted << QLatin1Char('"') + Shown(folder) + QLatin1Char('"');
    if (quoted.size() < 2)
        return quoted.join(QString());
    const QString last = quoted.takeLast();
    return quoted.join(QStringLiteral(", ")) + QStringLiteral(" and ") + last;
}

QStringList SiteKeyFolders() {
    const QString given = qEnvironmentVariable("KESTREL_FLASH_KEYS");
    const QStringList folders = given.split(QDir::listSeparator(), Qt::SkipEmptyParts);
    if (!folders.isEmpty())
        return folders;
#ifdef Q_OS_WIN
    return {SiteFolder() + QStringLiteral("/keys")};
#else
    return {QStringLiteral("/usr/share/kestrel-flash/keys"),
            QStringLiteral("/etc/kestrel-flash/keys")};
#endif
}

QString SitePolicyFile() {
    const QString given = qEnvironmentVariable("KESTREL_FLASH_POLICY");
    if (!given.isEmpty())
        return given;
#ifdef Q_OS_WIN
    return SiteFolder() + QStringLiteral("/policy.conf");
#else
    return QStringLiteral("/etc/kestrel-flash/policy.conf");
#endif
}

SiteTrust ReadSiteTrust(const QStringList& keyFolders, const QString& policyFile) {
    SiteTrust trust;
    trust.keyFolders = keyFolders;
    trust.policyFile = policyFile;
    for (const QString& folder : keyFolders) {
        if (trust.keyFault.isEmpty())
            ReadKeys(folder, trust);
        if (trust.keyFault.isEmpty())
            ReadRevoked(folder, trust);
    }
    ReadPolicy(trust);
    return trust;
}

} // namespace kestrel
