#pragma once

#include "text_output.h"

#include <QElapsedTimer>
#include <QTimer>

#include <cstdio>
#include <memory>

namespace kestrel::cli {

// Live progress bars on a terminal, one line per job, redrawn in place; the
// jobs' log lines scroll above them.
class LiveOutput : public TextOutput {
public:
    explicit LiveOutput(std::FILE* stream);
    void Begin(const JobPlan& plan, const QList<JobRecord>& jobs) override;
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

// A search's own lines on the error stream, which the results leave alone:
// on a terminal, how far it has got, on one line redrawn in place; at the
// end, whether it was interrupted. Everything goes on to the output within.
class SearchLine : public ProgressOutput {
public:
    SearchLine(std::unique_ptr<ProgressOutput> within, std::FILE* stream, bool showProgress);
    void Begin(const JobPlan& plan, const QList<JobRecord>& jobs) override;
    void OnEvent(const JobEvent& event, bool stateChanged) override;
    void End() override;

private:
    std::unique_ptr<ProgressOutput> m_within;
    std::FILE* m_stream;
    bool m_showProgress;
    const QList<JobRecord>* m_jobs = nullptr;
    int m_found = 0;
};

} // namespace kestrel::cli
