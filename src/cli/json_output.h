#pragma once

#include "progress_output.h"

#include <QJsonObject>

#include <cstdio>

namespace kestrel::cli {

// One JSON object per line for scripts: one per event, then a summary.
// Every object has "schema" (kJsonSchemaVersion) and "event"; events of a
// job have "job" (its name). schema/kestrel-flash.schema.json describes them.
// target: the hardware firmware version wanted, told in "begin"; empty: none.
class JsonOutput : public ProgressOutput {
public:
    explicit JsonOutput(std::FILE* stream, QString target = QString());
    void Begin(Command command, const QList<JobRecord>& jobs) override;
    void OnEvent(const JobEvent& event, bool stateChanged) override;
    void End() override;

    static QJsonObject IdentityObject(const CameraIdentity& identity);
    // One object as a line, with its "schema"; for the commands that write
    // objects of their own (scan).
    void Write(QJsonObject object);

private:

    std::FILE* m_stream;
    QString m_target;
    Command m_command = Command::Info;
    const QList<JobRecord>* m_jobs = nullptr;
};

} // namespace kestrel::cli
