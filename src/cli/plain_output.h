#pragma once

#include "text_output.h"

#include <QTimer>

#include <cstdio>

namespace kestrel::cli {

// Plain lines, for a pipe or a file: one per change of state and, for every
// job still at work, one every few seconds (a search: one per camera found).
class PlainOutput : public TextOutput {
public:
    explicit PlainOutput(std::FILE* stream, int progressEveryMs = 5000);
    void Begin(const JobPlan& plan, const QList<JobRecord>& jobs) override;
    void OnEvent(const JobEvent& event, bool stateChanged) override;
    void End() override;

private:
    void ShowProgress();

    std::FILE* m_stream;
    QTimer m_timer;
};

} // namespace kestrel::cli
