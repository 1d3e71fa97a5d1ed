#pragma once

#include "text_output.h"

#include <QTimer>

#include <cstdio>

namespace kestrel::cli {

// Plain lines, for a pipe or a file: one per change of state and, for every
// job still at work, one every few seconds.
class PlainOutput : public TextOutput {
public:
    explicit PlainOutput(std::FILE* stream, int progressEveryMs = 5000);
    void Begin(Command command, const QList<JobRecord>& jobs) override;
    void OnEvent(const JobEvent& event, bool stateChanged) override;
    void End() override;

private:
    void ShowProgress();

    std::FILE* m_stream;
    QTimer m_timer;
};

} // namespace kestrel::cli
