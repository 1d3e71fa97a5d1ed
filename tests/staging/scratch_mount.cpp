#include "scratch_mount.h"

#include "scratch_files.h"

#include <QFile>

#include <cerrno>
#include <csignal>

#include <sys/mount.h>
#include <sys/resource.h>

namespace kestrel::test {

ScratchMount::ScratchMount(const QString& folder, qint64 sizeBytes, int maxFiles)
    : m_folder(folder) {
    QByteArray options = "size=" + QByteArray::number(sizeBytes) + ",mode=0755";
    if (maxFiles > 0)
        options += ",nr_inodes=" + QByteArray::number(maxFiles);
    if (::mount("kestrel-stick", QFile::encodeName(folder).constData(), "tmpfs",
                MS_NOSUID | MS_NODEV, options.constData()) != 0) {
        m_failure = QStringLiteral("cannot mount a tmpfs: ") + SystemText(errno);
        return;
    }
    m_mounted = true;
}

ScratchMount::~ScratchMount() {
    if (m_mounted)
        ::umount2(QFile::encodeName(m_folder).constData(), MNT_DETACH);
}

bool ScratchMount::RemountReadOnly(QString& why) {
    if (::mount(nullptr, QFile::encodeName(m_folder).constData(), nullptr,
                MS_REMOUNT | MS_RDONLY | MS_NOSUID | MS_NODEV, nullptr) != 0) {
        why = QStringLiteral("cannot remount read-only: ") + SystemText(errno);
        return false;
    }
    return true;
}

FileSizeLimit::FileSizeLimit(qint64 bytes) {
    rlimit limit{};
    if (::getrlimit(RLIMIT_FSIZE, &limit) != 0) {
        m_failure = QStringLiteral("getrlimit: ") + SystemText(errno);
        return;
    }
    m_previousSoftLimit = limit.rlim_cur;
    limit.rlim_cur = static_cast<rlim_t>(bytes);
    m_previousHandler = std::signal(SIGXFSZ, SIG_IGN);
    if (::setrlimit(RLIMIT_FSIZE, &limit) != 0) {
        m_failure = QStringLiteral("setrlimit: ") + SystemText(errno);
        std::signal(SIGXFSZ, m_previousHandler);
        return;
    }
    m_active = true;
}

FileSizeLimit::~FileSizeLimit() {
    if (!m_active)
        return;
    rlimit limit{};
    ::getrlimit(RLIMIT_FSIZE, &limit);
    limit.rlim_cur = static_cast<rlim_t>(m_previousSoftLimit);
    ::setrlimit(RLIMIT_FSIZE, &limit);
    std::signal(SIGXFSZ, m_previousHandler);
}

} // namespace kestrel::test
