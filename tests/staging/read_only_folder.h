#pragma once

#include "scratch_mount.h"

#include <QString>

#include <memory>

namespace kestrel::test {

// A folder that the test fills and then makes truly read-only for this
// process. File permissions do not bind root, so as root the folder is a
// tmpfs remounted read-only or, where mounting is not allowed, carries the
// immutable attribute. Everything is undone when the object goes.
class ReadOnlyFolder {
public:
    // Prepares the (empty) folder; fill it between this and Seal().
    explicit ReadOnlyFolder(const QString& folder);
    ~ReadOnlyFolder();
    ReadOnlyFolder(const ReadOnlyFolder&) = delete;
    ReadOnlyFolder& operator=(const ReadOnlyFolder&) = delete;

    // Makes the folder read-only; false with the reasons when no means works.
    bool Seal(QString& why);

    // The errno that creating a file in the sealed folder gives.
    int ExpectedError() const { return m_expectedError; }

private:
    enum class Means { None, Permissions, ReadOnlyMount, Immutable };

    QString m_folder;
    std::unique_ptr<ScratchMount> m_mount;
    Means m_sealedBy = Means::None;
    int m_expectedError = 0;
};

} // namespace kestrel::test
