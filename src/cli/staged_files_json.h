#pragma once

#include "stick_copy_result.h"

#include <QJsonArray>
#include <QList>

namespace kestrel::cli {

// The files for scripts, one object each: "name", "storedAs", "bytes",
// "sha256" (all 64 hexadecimal digits), "checksums" (where the SHA-256 it
// was checked against before the copy came from; empty when nowhere) and
// "signedBy" (the signer's "key" number and "name", null when not signed).
QJsonArray StagedFilesJson(const QList<StagedFile>& files);

} // namespace kestrel::cli
