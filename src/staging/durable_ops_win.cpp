#include "durable_ops.h"

#include <QDir>
#include <QFileDevice>

#include <system_error>

#include <io.h>
#include <windows.h>

namespace kestrel::durable {

namespace {

QString SystemReason(DWORD error) {
    return QString::fromStdString(std::system_category().message(static_cast<int>(error)));
}

const wchar_t* Native(const QString& path) {
    return reinterpret_cast<const wchar_t*>(path.utf16());
}

} // namespace

bool SyncToMedium(QFileDevice& file, QString& reason) {
    // Qt hands out a C runtime descriptor; FlushFileBuffers wants the handle.
    const int fd = file.handle();
    const auto handle =
        fd < 0 ? INVALID_HANDLE_VALUE : reinterpret_cast<HANDLE>(_get_osfhandle(fd));
    if (handle == INVALID_HANDLE_VALUE) {
        reason = SystemReason(ERROR_INVALID_HANDLE);
        return false;
    }
    if (!::FlushFileBuffers(handle)) {
        reason = SystemReason(::GetLastError());
        return false;
    }
    return true;
}

void StartWriteBack(QFileDevice& file, qint64 offset, qint64 length) {
    // No such request on Windows; FlushFileBuffers does all the work.
    Q_UNUSED(file);
    Q_UNUSED(offset);
    Q_UNUSED(length);
}

void DropCachedPages(QFileDevice& file) {
    // Windows has no request to drop a file's cached pages; removable sticks
    // run without a write cache by default, and the sync above has reached
    // the medium.
    Q_UNUSED(file);
}

bool RenameOver(const QString& from, const QString& to, QString& reason) {
    const QString nativeFrom = QDir::toNativeSeparators(from);
    const QString nativeTo = QDir::toNativeSeparators(to);
    if (!::MoveFileExW(Native(nativeFrom), Native(nativeTo),
                       MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) {
        reason = SystemReason(::GetLastError());
        return false;
    }
    return true;
}

bool SyncFolder(const QString& folder, QString& reason) {
    // MOVEFILE_WRITE_THROUGH has already waited until each rename reached the
    // medium; Windows offers no sync of a folder's entries beyond that.
    Q_UNUSED(folder);
    Q_UNUSED(reason);
    return true;
}

} // namespace kestrel::durable
