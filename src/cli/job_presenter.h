#pragma once

#include "job.h"
#include "session_events.h"

#include <QString>

namespace kestrel::cli {

// One job of the terminal program as the shared camera and staging logic
// reports it. What the logic says becomes events for the output: its words
// (the texts the window's log also gets) one complete line per event; the
// progress a percentage; a message for the operator a message that does not
// wait for anyone. The panes, the caret and the status lines are the
// window's and are not shown.
class JobPresenter {
public:
    explicit JobPresenter(int job, JobSink& sink);

    // Progress and messages reported from now on become events.
    void Present(const SessionEvents& events);

    void Post(JobEvent event);
    void PostState(JobState state);
    void PostLog(const QString& line);

    // Words of the logic, lines ending with "\r\n": each line completed by
    // them becomes a log event, trimmed, unless empty; an unfinished line
    // (a phase's heading) waits for the words that complete it.
    void Say(const QString& text);

    void PostProgress(int position);
    void PostMessage(const QString& text);

    // The state the job last told.
    JobState State() const { return m_state; }

private:
    void PostText(JobEvent::Kind kind, const QString& text);

    int m_job;
    JobSink& m_sink;
    QString m_partial; // the words after the last complete line
    int m_percent = -1;
    JobState m_state = JobState::Connecting;
    QObject m_context; // the connections end with this object
};

} // namespace kestrel::cli
