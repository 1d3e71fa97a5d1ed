#pragma once

#include "job_sink.h"
#include "job_stop.h"
#include "log_book.h"
#include "operator_input.h"
#include "session_events.h"

#include <QStringList>

namespace kestrel::cli {

// One job of the terminal program as the shared camera and staging logic
// sees it. What the logic reports becomes events for the output: the log,
// followed as it is written, its complete lines, one event each; the
// progress a percentage; a message for the operator a message that does not
// wait for anyone. The panes, the caret and the status lines are the
// window's and are not shown.
class JobPresenter : public OperatorInput {
public:
    // With a stop, every wait ends as soon as it is requested.
    JobPresenter(int job, JobSink& sink, const JobStop* stop = nullptr);

    // Each complete line written to the log from now on becomes a log event;
    // the log must outlive nothing but its own writes.
    void FollowLog(const LogBook& log);
    // Progress and messages reported from now on become events.
    void Present(const SessionEvents& events);

    void Post(JobEvent event);
    void PostState(JobState state);
    void PostLog(const QString& line);

    void PostProgress(int position);
    void PostMessage(const QString& text);

    void Wait(int ms) override;

private:
    void PostText(JobEvent::Kind kind, const QString& text);
    void AddToLog(const QString& text);

    int m_job;
    JobSink& m_sink;
    const JobStop* m_stop;
    QString m_partial; // the log's text after its last complete line
    int m_percent = -1;
    QObject m_context; // the connections end with this object
};

} // namespace kestrel::cli
