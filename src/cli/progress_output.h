#pragma once

#include "cli_options.h"
#include "job_event.h"

#include <QElapsedTimer>
#include <QList>
#include <QString>
#include <QStringList>

#include <cstdio>

namespace kestrel::cli {

// Where the jobs' events are shown: live progress bars on a terminal, plain
// lines, or JSON objects. Everything runs in the main thread.
class ProgressOutput {
public:
    virtual ~ProgressOutput() = default;
    // jobs: each job's name (its address, or the folder of a copy).
    virtual void Begin(Command command, const QStringList& jobs) = 0;
    virtual void OnEvent(const JobEvent& event) = 0;
    virtual void End(const QList<JobResult>& results) = 0;
};

// What the text outputs know of one job.
struct JobRow {
    QString name;
    JobState state = JobState::Connecting;
    int done = 0;
    int total = 0;
    int percent = 0;
    QString serial;
    QElapsedTimer clock;
    bool finished = false;
    JobResult result;

    // Takes the event in; true when the job's state changed.
    bool Apply(const JobEvent& event);
    // "sector 12/155", "page 900/20000", or nothing.
    QString Figures() const;
};

// Writes UTF-8 text to a stream and flushes it.
void WriteText(std::FILE* stream, const QString& text);

// The summary at the end: each job's name, serial, result and time, then the
// reasons of the failures; texts from cameras escaped. copies: the jobs are
// copies onto sticks, named by their folders.
QString SummaryTable(const QList<JobRow>& rows, bool copies = false);

} // namespace kestrel::cli
