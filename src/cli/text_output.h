#pragma once

#include "progress_output.h"

namespace kestrel::cli {

// What the plain and the live output share: the jobs' records, and the lines
// that events give in both. A job's failure is told once, with the reasons
// in the summary: a message that turns out to be the reason of its job's
// failure is not printed.
class TextOutput : public ProgressOutput {
public:
    void Begin(const JobPlan& plan, const QList<JobRecord>& jobs) override;

protected:
    // What to print for the event, given the lines it adds: a message line
    // waits for the next lines or its job's end.
    QString Lines(const JobEvent& event, const QString& lines);
    // The lines an event adds to the scrolling text, each ending in '\n'.
    QString EventLines(const JobEvent& event) const;
    // A message line still waiting; the output ends.
    QString TakeHeld();
    // The job's name as the terminal shows it.
    QString Name(int job) const;
    const QList<JobRecord>& Jobs() const { return *m_jobs; }
    const JobPlan& Plan() const { return *m_plan; }
    // What ends the output: the summary of the jobs, or of a search.
    QString Summary() const;

private:
    const JobPlan* m_plan = nullptr;
    const QList<JobRecord>* m_jobs = nullptr;
    int m_heldJob = -1;
    QString m_heldText; // the message as its job sent it
    QString m_heldLine; // as it would be printed
};

// The summary at the end: each job's name, serial, result and time, then the
// reasons of the failures; texts from cameras escaped. jobColumn heads the
// names; serials: whether the jobs have serial numbers (copies onto sticks
// and checks of files have none).
QString SummaryTable(const QList<JobRecord>& jobs,
                     const QString& jobColumn = QStringLiteral("CAMERA"), bool serials = true);

// The cameras a search found, in address order, then port order, as a table
// with its heading, columns as wide as their widest cell.
QString FoundTable(QList<ScanFinding> found);
// One camera found, as a tab-separated line.
QString FoundLine(const ScanFinding& finding);

} // namespace kestrel::cli
