#pragma once

#include "job.h"

#include <QElapsedTimer>

namespace kestrel::cli {

// What is known of one job, taken in once per event by its runner and read
// by the outputs, the report and the records.
struct JobRecord {
    QString name;        // the camera's address, or the folder of a copy
    QElapsedTimer clock; // since the start of the command
    JobState state = JobState::Connecting;
    qint64 done = 0; // the figures of the phase (Erasing or Programming)
    qint64 total = 0;
    int percent = 0;
    CameraIdentity identity; // as read on connecting
    bool runInProgress = false;
    bool finished = false;
    JobResult result; // once finished

    explicit JobRecord(QString jobName);

    // Takes the event in; true when the job's state changed.
    bool Apply(const JobEvent& event);
    // "sector 12/155", "page 900/20000", or nothing.
    QString Figures() const;
    // The serial number: as read on connecting, then as the result gives it.
    QString Serial() const;
};

} // namespace kestrel::cli
