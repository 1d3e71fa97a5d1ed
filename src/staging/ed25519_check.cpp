#include "ed25519_check.h"

#ifdef KESTREL_ED25519_OPENSSL
#include <openssl/evp.h>

#include <memory>
#endif

namespace kestrel {

#ifdef KESTREL_ED25519_OPENSSL

bool SignatureChecksAvailable() {
    return true;
}

bool VerifyEd25519(const Ed25519Key& key, const Ed25519Signature& signature,
                   std::string_view message) {
    const std::unique_ptr<EVP_PKEY, decltype(&EVP_PKEY_free)> publicKey(
        EVP_PKEY_new_raw_public_key(EVP_PKEY_ED25519, nullptr, key.data(), key.size()),
        &EVP_PKEY_free);
    const std::unique_ptr<EVP_MD_CTX, decltype(&EVP_MD_CTX_free)> context(EVP_MD_CTX_new(),
                                                                          &EVP_MD_CTX_free);
    if (!publicKey || !context ||
        EVP_DigestVerifyInit(context.get(), nullptr, nullptr, nullptr, publicKey.get()) != 1)
        return false;
    // Ed25519 is one-shot: the whole message in one call.
    return EVP_DigestVerify(context.get(), signature.data(), signature.size(),
                            reinterpret_cast<const unsigned char*>(message.data()),
                            message.size()) == 1;
}

#else

bool SignatureChecksAvailable() {
    return false;
}

bool VerifyEd25519(const Ed25519Key&, const Ed25519Signature&, std::string_view) {
    return false;
}

#endif

} // namespace kestrel
