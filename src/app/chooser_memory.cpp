#include "chooser_memory.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QSettings>

namespace kestrel {

namespace {

// The application's settings, as an INI file in the user's configuration
// folder on every system: one place to look at or reset.
QSettings Settings() {
    return QSettings(QSettings::IniFormat, QSettings::UserScope,
                     QCoreApplication::organizationName(), QCoreApplication::applicationName());
}

QString Key(const QString& chooser) {
    return QStringLiteral("LastFolder/") + chooser;
}

} // namespace

QString ChooserMemory::StartFolder() const {
    const QString remembered = Settings().value(Key(m_chooser)).toString();
    if (remembered.isEmpty())
        return QString();
    QString folder = QDir::cleanPath(QDir::fromNativeSeparators(remembered));
    while (!QFileInfo(folder).isDir()) {
        const QString above = QFileInfo(folder).path();
        if (above == folder)
            return QString();
        folder = above;
    }
    return folder;
}

void ChooserMemory::Remember(const QString& folder) const {
    QSettings settings = Settings();
    settings.setValue(Key(m_chooser), QDir::fromNativeSeparators(folder));
}

} // namespace kestrel
