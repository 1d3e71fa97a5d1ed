#include "read_only_folder.h"

#include "scratch_files.h"

#include <QFile>

#include <cerrno>

#include <fcntl.h>
#include <linux/fs.h>
#include <sys/ioctl.h>
#include <unistd.h>

namespace kestrel::test {

namespace {

constexpr qint64 kMountSize = 4 * 1024 * 1024;

// Sets or clears FS_IMMUTABLE_FL, as chattr +i / -i does.
bool SetImmutable(const QString& path, bool on, QString& why) {
    const int fd = ::open(QFile::encodeName(path).constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0) {
        why = SystemText(errno);
        return false;
    }
    int flags = 0;
    bool done = ::ioctl(fd, FS_IOC_GETFLAGS, &flags) == 0;
    if (done) {
        flags = on ? (flags | FS_IMMUTABLE_FL) : (flags & ~FS_IMMUTABLE_FL);
        done = ::ioctl(fd, FS_IOC_SETFLAGS, &flags) == 0;
    }
    if (!done)
        why = SystemText(errno);
    ::close(fd);
    return done;
}

} // namespace

ReadOnlyFolder::ReadOnlyFolder(const QString& folder) : m_folder(folder) {
    if (RunningAsRoot()) {
        m_mount = std::make_unique<ScratchMount>(folder, kMountSize);
        if (!m_mount->IsMounted())
            m_mount.reset();
    }
}

ReadOnlyFolder::~ReadOnlyFolder() {
    QString ignored;
    switch (m_sealedBy) {
    case Means::Permissions:
        QFile::setPermissions(m_folder, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
        break;
    case Means::Immutable:
        SetImmutable(m_folder, false, ignored);
        break;
    case Means::ReadOnlyMount:
    case Means::None:
        break; // the mount goes with m_mount
    }
}

bool ReadOnlyFolder::Seal(QString& why) {
    if (!RunningAsRoot()) {
        if (!QFile::setPermissions(m_folder, QFile::ReadOwner | QFile::ExeOwner)) {
            why = QStringLiteral("cannot change the folder's permissions");
            return false;
        }
        m_sealedBy = Means::Permissions;
        m_expectedError = EACCES;
        return true;
    }
    QString mountWhy = QStringLiteral("no tmpfs could be mounted");
    if (m_mount && m_mount->RemountReadOnly(mountWhy)) {
        m_sealedBy = Means::ReadOnlyMount;
        m_expectedError = EROFS;
        return true;
    }
    QString attributeWhy;
    if (SetImmutable(m_folder, true, attributeWhy)) {
        m_sealedBy = Means::Immutable;
        m_expectedError = EPERM;
        return true;
    }
    why = QStringLiteral("running as root: %1, and the immutable attribute: %2")
              .arg(mountWhy, attributeWhy);
    return false;
}

} // namespace kestrel::test
