#include "staged_files_json.h"

#include "copy_report.h"

#include <QJsonObject>

namespace kestrel::cli {

namespace {

QJsonValue SignerJson(const FirmwareSigner& signer) {
    if (!signer.Signed())
        return QJsonValue::Null;
    return QJsonObject{{QStringLiteral("key"), signer.keyNumber},
                       {QStringLiteral("name"), signer.name}};
}

} // namespace

QJsonArray StagedFilesJson(const QList<StagedFile>& files) {
    QJsonArray array;
    for (const StagedFile& file : files) {
        array.append(QJsonObject{{QStringLiteral("name"), file.name},
                                 {QStringLiteral("storedAs"), file.storedAs},
                                 {QStringLiteral("bytes"), file.verified.size},
                                 {QStringLiteral("sha256"), DigestHex(file.verified.sha256)},
                                 {QStringLiteral("checksums"),
                                  QJsonArray::fromStringList(file.verified.checksumsMatched)},
                                 {QStringLiteral("signedBy"), SignerJson(file.verified.signer)}});
    }
    return array;
}

} // namespace kestrel::cli
