#pragma once

#include "staging_plan.h"

#include <QJsonArray>
#include <QList>
#include <QString>

namespace kestrel::cli {

// A file that the copy onto the stick wrote and verified.
struct StagedFile {
    QString name;     // as the operator chose it
    QString storedAs; // its fixed name on the stick
    VerifiedFile verified;
};

// The verified files of a copy, in the order of the plan.
QList<StagedFile> StagedFiles(const StagingPlan& plan, const StagingOutcome& outcome);

// The files for scripts, one object each: "name", "storedAs", "bytes",
// "sha256" (all 64 hexadecimal digits) and "checksums" (where the SHA-256 it
// was checked against before the copy came from; empty when nowhere).
QJsonArray StagedFilesJson(const QList<StagedFile>& files);

} // namespace kestrel::cli
