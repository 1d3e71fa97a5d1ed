#include "report_file.h"

#include "terminal.h"

#include <QFile>

namespace kestrel::cli {

namespace {

QString Field(const QString& text) {
    const QString shown = Escaped(text).trimmed();
    return shown.isEmpty() ? QStringLiteral("-") : shown;
}

} // namespace

ReportFile::ReportFile(QString path) : m_path(std::move(path)) {}

bool ReportFile::CheckWritable(QString* error) const {
    QFile file(m_path);
    if (file.open(QIODevice::Append | QIODevice::Text))
        return true;
    if (error)
        *error =
            QStringLiteral("cannot write the report file %1: %2").arg(m_path, file.errorString());
    return false;
}

QString ReportFile::Line(const QString& name, const JobResult& result, const QDateTime& when) {
    const QStringList fields{when.toString(Qt::ISODate),
                             Field(name),
                             Field(result.Serial()),
                             Field(result.before.hardware),
                             Field(result.before.software),
                             Field(result.after.hardware),
                             Field(result.after.software),
                             Field(CodeOf(result.code)),
                             QString::number(result.elapsedMs / 1000.0, 'f', 1),
                             Field(result.detail.simplified()),
                             Field(result.record)};
    return fields.join(QLatin1Char('\t')) + QLatin1Char('\n');
}

bool ReportFile::Append(const QList<JobRecord>& jobs, const QDateTime& when, QString* error) const {
    QString text;
    for (const JobRecord& job : jobs)
        text += Line(job.name, job.result, when);
    const QByteArray bytes = text.toUtf8();
    // Unbuffered, so the lines go to the file in one write and records of
    // programs appending at the same time do not interleave.
    QFile file(m_path);
    if (!file.open(QIODevice::Append | QIODevice::Unbuffered) ||
        file.write(bytes) != bytes.size() || !file.flush()) {
        if (error)
            *error = QStringLiteral("cannot write the report file %1: %2")
                         .arg(m_path, file.errorString());
        return false;
    }
    return true;
}

} // namespace kestrel::cli
