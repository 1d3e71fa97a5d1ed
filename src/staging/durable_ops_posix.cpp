#include "durable_ops.h"

#include <QFile>
#include <QFileDevice>

#include <cerrno>
#include <system_error>

#include <fcntl.h>
#include <unistd.h>

namespace kestrel::durable {

namespace {

QString SystemReason(int error) {
    return QString::fromStdString(std::generic_category().message(error));
}

int SyncDescriptor(int fd) {
#ifdef F_FULLFSYNC
    // On macOS fsync stops at the drive's cache; F_FULLFSYNC goes through it.
    if (::fcntl(fd, F_FULLFSYNC) == 0)
        return 0;
#endif
    return ::fsync(fd);
}

} // namespace

bool SyncToMedium(QFileDevice& file, QString& reason) {
    const int fd = file.handle();
    if (fd < 0) {
        reason = SystemReason(EBADF);
        return false;
    }
    if (SyncDescriptor(fd) != 0) {
        reason = SystemReason(errno);
        return false;
    }
    return true;
}

void StartWriteBack(QFileDevice& file, qint64 offset, qint64 length) {
#ifdef SYNC_FILE_RANGE_WRITE
    const int fd = file.handle();
    if (fd >= 0)
        ::sync_file_range(fd, offset, length, SYNC_FILE_RANGE_WRITE);
#else
    Q_UNUSED(file);
    Q_UNUSED(offset);
    Q_UNUSED(length);
#endif
}

void DropCachedPages(QFileDevice& file) {
#ifdef POSIX_FADV_DONTNEED
    const int fd = file.handle();
    if (fd >= 0)
        ::posix_fadvise(fd, 0, 0, POSIX_FADV_DONTNEED);
#else
    Q_UNUSED(file);
#endif
}

bool RenameOver(const QString& from, const QString& to, QString& reason) {
    if (::rename(QFile::encodeName(from).constData(), QFile::encodeName(to).constData()) != 0) {
        reason = SystemReason(errno);
        return false;
    }
    return true;
}

bool SyncFolder(const QString& folder, QString& reason) {
    const int fd =
        ::open(QFile::encodeName(folder).constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0) {
        reason = SystemReason(errno);
        return false;
    }
    const int result = SyncDescriptor(fd);
    const int error = errno;
    ::close(fd);
    // Some file systems cannot sync a folder and say so; their entries are
    // written with the files' own syncs.
    if (result != 0 && error != EINVAL && error != ENOTSUP) {
        reason = SystemReason(error);
        return false;
    }
    return true;
}

} // namespace kestrel::durable
