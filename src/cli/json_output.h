#pragma once

#include "progress_output.h"

#include <QJsonObject>

#include <cstdio>

namespace kestrel::cli {

// One JSON object per line for scripts: one per event, then a summary.
// Every object has "event"; events of a job have "job" (its name).
class JsonOutput : public ProgressOutput {
public:
    explicit JsonOutput(std::FILE* stream);
    void Begin(Command command, const QList<JobRecord>& jobs) override;
    void OnEvent(const JobEvent& event, bool stateChanged) override;
    void End() override;

    static QJsonObject IdentityObject(const CameraIdentity& identity);

private:
    void Write(const QJsonObject& object);

    std::FILE* m_stream;
    Command m_command = Command::Info;
    const QList<JobRecord>* m_jobs = nullptr;
};

} // namespace kestrel::cli
