#include "staged_file.h"

#include "copy_report.h"

#include <QJsonObject>

namespace kestrel::cli {

QList<StagedFile> StagedFiles(const StagingPlan& plan, const StagingOutcome& outcome) {
    QList<StagedFile> files;
    for (qsizetype i = 0; i < outcome.verified.size() && i < plan.items.size(); ++i)
        files.append({plan.items[i].sourceName, plan.items[i].finalName, outcome.verified[i]});
    return files;
}

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
