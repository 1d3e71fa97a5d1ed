#pragma once

#include "progress_output.h"

#include <QTimer>

namespace kestrel::cli {

// What the plain and the live output share: the rows, and the lines that
// events give in both.
class TextOutput : public ProgressOutput {
public:
    void Begin(Command command, const QStringList& jobs) override;

protected:
    // The lines an event adds to the scrolling text, each ending in '\n'.
    QString EventLines(const JobEvent& event) const;

    Command m_command = Command::Info;
    QList<JobRow> m_rows;
};

// Plain lines, for a pipe or a file: one per change of state and, for every
// job still at work, one every few seconds.
class PlainOutput : public TextOutput {
public:
    explicit PlainOutput(std::FILE* stream, int progressEveryMs = 5000);
    void Begin(Command command, const QStringList& jobs) override;
    void OnEvent(const JobEvent& event) override;
    void End(const QList<JobResult>& results) override;

private:
    void ShowProgress();

    std::FILE* m_stream;
    QTimer m_timer;
};

// Live progress bars on a terminal, one line per job, redrawn in place; the
// jobs' log lines scroll above them.
class LiveOutput : public TextOutput {
public:
    explicit LiveOutput(std::FILE* stream);
    void Begin(Command command, const QStringList& jobs) override;
    void OnEvent(const JobEvent& event) override;
    void End(const QList<JobResult>& results) override;

private:
    void Redraw();
    // Moves back over the bars and clears them, then the pending lines.
    QString TakeBarsAway();
    QString RowText(const JobRow& row, int width) const;

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
