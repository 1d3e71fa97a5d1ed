#pragma once

#include "progress_output.h"

#include <QJsonObject>

namespace kestrel::cli {

// One JSON object per line for scripts: one per event, then a summary.
// Every object has "event"; events of a job have "job" (its name).
class JsonOutput : public ProgressOutput {
public:
    explicit JsonOutput(std::FILE* stream);
    void Begin(Command command, const QStringList& jobs) override;
    void OnEvent(const JobEvent& event) override;
    void End(const QList<JobResult>& results) override;

    static QJsonObject IdentityObject(const CameraIdentity& identity);

private:
    void Write(const QJsonObject& object);

    std::FILE* m_stream;
    Command m_command = Command::Info;
    QStringList m_jobs;
    QList<QElapsedTimer> m_clocks;
};

} // namespace kestrel::cli
