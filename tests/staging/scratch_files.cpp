#include "scratch_files.h"

#include <QDir>
#include <QFile>
#include <QRandomGenerator>

#include <system_error>

#ifdef Q_OS_UNIX
#include <unistd.h>
#endif

namespace kestrel::test {

bool WriteFile(const QString& path, const QByteArray& content) {
    QFile file(path);
    return file.open(QIODevice::WriteOnly | QIODevice::Truncate) &&
           file.write(content) == content.size() && file.flush();
}

QByteArray PatternBytes(qsizetype size, quint32 seed) {
    QList<quint32> words((size + 3) / 4);
    QRandomGenerator(seed).fillRange(words.data(), words.size());
    return QByteArray(reinterpret_cast<const char*>(words.constData()), size);
}

QByteArray ReadAll(const QString& path) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return {};
    QByteArray content = file.readAll();
    if (content.isNull())
        content = QByteArray(""); // an empty file reads as empty, not as missing
    return content;
}

QStringList FolderEntries(const QString& folder) {
    return QDir(folder).entryList(
        QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot, QDir::Name);
}

QString SystemText(int error) {
    return QString::fromStdString(std::generic_category().message(error));
}

bool RunningAsRoot() {
#ifdef Q_OS_UNIX
    return ::geteuid() == 0;
#else
    return false;
#endif
}

} // namespace kestrel::test
