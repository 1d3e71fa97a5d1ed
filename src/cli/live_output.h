#pragma once

#include "text_output.h"

#include <QElapsedTimer>
#include <QTimer>

#include <cstdio>

namespace kestrel::cli {

// Live progress bars on a terminal, one line per job, redrawn in place; the
// jobs' log lines scroll above them.
class LiveOutput : public TextOutput {
public:
    explicit LiveOutput(std::FILE* stream);
    void Begin(Command command, const QList<JobRecord>& jobs) override;
    void OnEvent(const JobEvent& event, bool stateChanged) override;
    void End() override;

private:
    void Redraw();
    // Moves back over the bars and clears them, then the pending lines.
    QString TakeBarsAway();
    QString RowText(int job, int width) const;

    std::FILE* m_stream;
    QTimer m_timer;
    QElapsedTimer m_clock;
    bool m_dirty = false;
    qint64 m_drawnSecond = -1;
    QString m_pending; // lines to print above the bars at the next redraw
    int m_drawn = 0;   // bar lines on the screen
    qsizetype m_nameWidth = 0;
};

} // namespace kestrel::cli
