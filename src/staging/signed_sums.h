#pragma once

#include "site_trust.h"
#include "staging_plan.h"

#include <QByteArray>
#include <QString>

#include <optional>

namespace kestrel {

// The checksum list SHA256SUMS beside a firmware file, and what its
// signature SHA256SUMS.sig says of it.
struct SignedSums {
    // The list to look the file up in: the bytes of SHA256SUMS, or those
    // signed in an embedded signature; none when there is neither.
    std::optional<QByteArray> list;
    QString from;          // which file gave the list ("SHA256SUMS", "SHA256SUMS.sig")
    FirmwareSigner signer; // who signed it; not signed when there is no signature
};

// The name of the list that may be signed, and of its signature.
QString SignedListName();
QString SignatureName();

// Checks the list at listPath (its bytes as read, none when it does not
// exist) against the signature beside it, if there is one: the signature
// must be well formed, by a trusted key that is not revoked, and match the
// exact bytes of the list; an embedded signature's list must be the same as
// SHA256SUMS where both exist. Fails, with reason, on anything else, and
// wherever a signature cannot be checked.
bool CheckSignedSums(const QString& listPath, std::optional<QByteArray> list,
                     const SiteTrust& trust, SignedSums& sums, QString& reason);

} // namespace kestrel
