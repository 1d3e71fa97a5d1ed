#pragma once

#include <QByteArray>
#include <QtGlobal>

#include <memory>

namespace kestrel {

// Incremental SHA-256 over a stream of bytes.
class Sha256 {
public:
    Sha256();
    ~Sha256();
    Sha256(const Sha256&) = delete;
    Sha256& operator=(const Sha256&) = delete;

    void Add(const char* data, qsizetype size);

    // The 32-byte digest of everything added; nothing may be added after it.
    // Empty if the hash engine failed, so that it never matches a real digest.
    QByteArray Result();

private:
    struct Engine;
    std::unique_ptr<Engine> m_engine;
};

} // namespace kestrel
