#include "signify_keys.h"

#include "scratch_files.h"

#include <QCryptographicHash>
#include <QDir>
#include <QFileInfo>
#include <QProcess>
#include <QStandardPaths>

namespace kestrel::test {

namespace {

bool RunSignify(const QStringList& arguments) {
    QProcess signify;
    signify.start(SignifyProgram(), arguments);
    const bool ran = signify.waitForFinished(30000) &&
                     signify.exitStatus() == QProcess::NormalExit && signify.exitCode() == 0;
    if (!ran)
        qWarning("signify-openbsd %s: %s", qPrintable(arguments.join(' ')),
                 signify.readAllStandardError().constData());
    return ran;
}

} // namespace

QString SignifyProgram() {
    return QStandardPaths::findExecutable(QStringLiteral("signify-openbsd"));
}

bool MakeSignifyKey(const QString& folder, const QString& name, const QString& comment) {
    const QString base = QDir(folder).filePath(name);
    return RunSignify({"-G", "-n", "-c", comment, "-p", base + ".pub", "-s", base + ".sec"});
}

bool SignList(const QString& secretKey, const QString& list, bool embedded) {
    const QString signature = QFileInfo(list).dir().filePath("SHA256SUMS.sig");
    QStringList arguments{"-S", "-s", secretKey, "-m", list, "-x", signature};
    if (embedded)
        arguments.insert(1, "-e");
    return RunSignify(arguments);
}

QString KeyNumberOf(const QString& publicKey) {
    const QByteArrayList lines = ReadAll(publicKey).split('\n');
    return QString::fromLatin1(QByteArray::fromBase64(lines.value(1)).mid(2, 8).toHex());
}

QString SignFiles(const QStringList& files, const QString& keyFolder, const QString& key) {
    QByteArray list;
    for (const QString& file : files)
        list += QCryptographicHash::hash(ReadAll(file), QCryptographicHash::Sha256).toHex() + "  " +
                QFileInfo(file).fileName().toUtf8() + '\n';
    const QString path = QFileInfo(files.value(0)).dir().filePath("SHA256SUMS");
    const QString base = QDir(keyFolder).filePath(key);
    if (!QFileInfo::exists(base + ".sec") && !MakeSignifyKey(keyFolder, key, key + " release key"))
        return {};
    return WriteFile(path, list) && SignList(base + ".sec", path, false)
               ? KeyNumberOf(base + ".pub")
               : QString();
}

} // namespace kestrel::test
