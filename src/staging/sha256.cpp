#include "sha256.h"

#ifdef KESTREL_SHA256_OPENSSL
#include <openssl/evp.h>
#else
#include <QCryptographicHash>
#endif

namespace kestrel {

#ifdef KESTREL_SHA256_OPENSSL

struct Sha256::Engine {
    EVP_MD_CTX* context = EVP_MD_CTX_new();
    bool healthy = context != nullptr && EVP_DigestInit_ex(context, EVP_sha256(), nullptr) == 1;
    bool finished = false;
    QByteArray digest;
    ~Engine() { EVP_MD_CTX_free(context); }
};

void Sha256::Add(const char* data, qsizetype size) {
    if (m_engine->healthy && !m_engine->finished && size > 0)
        m_engine->healthy =
            EVP_DigestUpdate(m_engine->context, data, static_cast<size_t>(size)) == 1;
}

QByteArray Sha256::Result() {
    if (!m_engine->finished) {
        m_engine->finished = true;
        unsigned char digest[EVP_MAX_MD_SIZE];
        unsigned int length = 0;
        if (m_engine->healthy && EVP_DigestFinal_ex(m_engine->context, digest, &length) == 1)
            m_engine->digest =
                QByteArray(reinterpret_cast<const char*>(digest), static_cast<qsizetype>(length));
    }
    return m_engine->digest;
}

#else

struct Sha256::Engine {
    QCryptographicHash hash{QCryptographicHash::Sha256};
};

void Sha256::Add(const char* data, qsizetype size) {
    m_engine->hash.addData(QByteArrayView(data, size));
}

QByteArray Sha256::Result() {
    return m_engine->hash.result();
}

#endif

Sha256::Sha256() : m_engine(std::make_unique<Engine>()) {}

Sha256::~Sha256() = default;

} // namespace kestrel
