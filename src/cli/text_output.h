#pragma once

#include "progress_output.h"

namespace kestrel::cli {

// What the plain and the live output share: the jobs' records, and the lines
// that events give in both. A job's failure is told once, with the reasons
// in the summary: a message that turns out to be the reason of its job's
// failure is not printed.
class TextOutput : public ProgressOutput {
public:
    void Begin(Command command, const QList<JobRecord>& jobs) override;

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

    Command m_command = Command::Info;

private:
    const QList<JobRecord>* m_jobs = nullptr;
    int m_heldJob = -1;
    QString m_heldText; // the message as its job sent it
    QString m_heldLine; // as it would be printed
};

} // namespace kestrel::cli
