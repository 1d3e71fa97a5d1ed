#pragma once

#include <QString>
#include <QtGlobal>

namespace kestrel::test {

// A small, empty tmpfs mounted on a folder while the object lives: a USB
// stick of a known size. Mounting needs root with CAP_SYS_ADMIN; where that is
// missing, IsMounted() is false and Failure() says why.
class ScratchMount {
public:
    // maxFiles > 0 limits the number of files and folders, the root included.
    ScratchMount(const QString& folder, qint64 sizeBytes, int maxFiles = 0);
    ~ScratchMount();
    ScratchMount(const ScratchMount&) = delete;
    ScratchMount& operator=(const ScratchMount&) = delete;

    bool IsMounted() const { return m_mounted; }
    QString Failure() const { return m_failure; }

    // From now on nobody, root included, can change anything on it (EROFS).
    bool RemountReadOnly(QString& why);

private:
    QString m_folder;
    bool m_mounted = false;
    QString m_failure;
};

// Limits the size of the files this process writes while the object lives;
// SIGXFSZ is ignored meanwhile, so a write beyond the limit fails with EFBIG
// instead of ending the process. Works for every user.
class FileSizeLimit {
public:
    explicit FileSizeLimit(qint64 bytes);
    ~FileSizeLimit();
    FileSizeLimit(const FileSizeLimit&) = delete;
    FileSizeLimit& operator=(const FileSizeLimit&) = delete;

    bool IsActive() const { return m_active; }
    QString Failure() const { return m_failure; }

private:
    bool m_active = false;
    QString m_failure;
    unsigned long long m_previousSoftLimit = 0;
    void (*m_previousHandler)(int) = nullptr;
};

} // namespace kestrel::test
