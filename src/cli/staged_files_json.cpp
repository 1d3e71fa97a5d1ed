#include "staged_files_json.h"

#include "copy_report.h"

#include <QJsonObject>

namespace kestrel::cli {

QJsonArray StagedFilesJson(const QList<StagedFile>& files) {
    QJsonArray array;
    for (const StagedFile& file : files) {
        array.append(QJsonObject{{QStringLiteral("name"), file.name},
                                 {QStringLiteral("storedAs"), file.storedAs},
                                 {QStringLiteral("bytes"), file.verified.size},
                                 {QStringLiteral("sha256"), DigestHex(file.verified.sha256)},
                                 {QStringLiteral("checksums"),
                                  QJsonArray::fromStringList(file.verified.checksumsMatched)}});
    }
    return array;
}

} // namespace kestrel::cli
