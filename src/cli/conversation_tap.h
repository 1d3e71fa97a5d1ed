#pragma once

#include "job.h"
#include "record_book.h"

#include <QObject>

#include <optional>

namespace kestrel {
class Camera;
} // namespace kestrel

namespace kestrel::cli {

// Puts one camera job on record: the lines its connection sends and
// receives, the connection opened and lost, the run reconnected, and from
// the job's events every change of phase and the camera's serial number,
// which names the record. The events go on to the next sink unchanged.
// Without a book it only passes them on.
class ConversationTap : public JobSink {
public:
    ConversationTap(RecordBook* book, int job, JobSink& next);

    // The camera's connection and run; the camera must not outlive the tap.
    void Follow(Camera& camera);

    void Post(const JobEvent& event) override;

private:
    void Add(RecordBook::Mark mark, const QString& text);

    RecordBook* m_book;
    int m_job;
    JobSink& m_next;
    std::optional<JobState> m_state;
    QObject m_context; // the connections end with this object
};

} // namespace kestrel::cli
