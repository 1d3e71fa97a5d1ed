#include "history_sha256.h"

// Walking the chain hashes every event once: OpenSSL's SHA-256 uses the
// processor's SHA instructions and is several times faster than
// QCryptographicHash, which remains the fallback.
#ifdef KESTREL_SHA256_OPENSSL
#include <openssl/crypto.h>
#include <openssl/sha.h>
#else
#include <QCryptographicHash>
#endif

namespace kestrel {

std::string HistorySha256(std::string_view bytes) {
#ifdef KESTREL_SHA256_OPENSSL
    std::string digest(SHA256_DIGEST_LENGTH, '\0');
    SHA256(reinterpret_cast<const unsigned char*>(bytes.data()), bytes.size(),
           reinterpret_cast<unsigned char*>(digest.data()));
    return digest;
#else
    return QCryptographicHash::hash(QByteArrayView(bytes.data(), qsizetype(bytes.size())),
                                    QCryptographicHash::Sha256)
        .toStdString();
#endif
}

void StartHistorySha256() {
#ifdef KESTREL_SHA256_OPENSSL
    OPENSSL_init_crypto(OPENSSL_INIT_LOAD_CONFIG, nullptr);
#endif
}

} // namespace kestrel
