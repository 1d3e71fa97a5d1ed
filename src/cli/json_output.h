#pragma once

#include "progress_output.h"

#include <QJsonArray>
#include <QJsonObject>

#include <cstdio>

namespace kestrel::cli {

// One JSON object per line for scripts: one per event, then a summary.
// Every object has "schema" (kJsonSchema) and "event"; events of a
// job have "job" (its name), a search's cameras their address instead.
// schema/kestrel-flash.schema.json describes them.
class JsonOutput : public ProgressOutput {
public:
    explicit JsonOutput(std::FILE* stream);
    void Begin(const JobPlan& plan, const QList<JobRecord>& jobs) override;
    void OnEvent(const JobEvent& event, bool stateChanged) override;
    void End() override;

    static QJsonObject IdentityObject(const CameraIdentity& identity);
    // The files of a copy, one object each: "name", "storedAs", "bytes",
    // "sha256" (all 64 hexadecimal digits), "checksums" (where the SHA-256 it
    // was checked against before the copy came from; empty when nowhere) and
    // "signedBy" (the signer's "key" number and "name", null when not signed).
    static QJsonArray StagedFilesArray(const QList<StagedFile>& files);

private:
    // One object as a line, with its "schema".
    void Write(QJsonObject object);
    void WriteSearchEnd();

    std::FILE* m_stream;
    const JobPlan* m_plan = nullptr;
    const QList<JobRecord>* m_jobs = nullptr;
};

} // namespace kestrel::cli
