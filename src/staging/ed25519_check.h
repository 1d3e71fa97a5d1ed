#pragma once

#include "signify_files.h"

#include <string_view>

namespace kestrel {

// Whether this build can check signatures: it can with OpenSSL 3, not in a
// build without it.
bool SignatureChecksAvailable();

// True when signature is the Ed25519 signature of key over the exact bytes
// of message; always false where signatures cannot be checked.
bool VerifyEd25519(const Ed25519Key& key, const Ed25519Signature& signature,
                   std::string_view message);

} // namespace kestrel
