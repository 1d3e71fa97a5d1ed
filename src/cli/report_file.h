#pragma once

#include "job_record.h"

#include <QDateTime>
#include <QList>
#include <QString>

namespace kestrel::cli {

// The production record: one line per camera appended to a text file, its
// fields separated by tabs: time (ISO 8601 with offset), address, serial,
// hardware and software firmware before, the same after, result code, seconds
// taken, the detail, and the file of the camera's conversation record. Texts
// from cameras are escaped; an unknown field is "-".
class ReportFile {
public:
    explicit ReportFile(QString path);

    // Checks that the file can be appended to (creating it when missing), so
    // that no camera is touched when its record could not be written.
    bool CheckWritable(QString* error) const;

    // Appends the lines in one write. False, with the reason, when they could
    // not all be written.
    bool Append(const QList<JobRecord>& jobs, const QDateTime& when, QString* error) const;

    static QString Line(const QString& name, const JobResult& result, const QDateTime& when);

private:
    QString m_path;
};

} // namespace kestrel::cli
