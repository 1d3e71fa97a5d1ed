#include "summary_table.h"

#include "terminal_text.h"

#include <algorithm>

namespace kestrel::cli {

QString SummaryTable(const QList<JobRecord>& jobs, Command command) {
    const bool withoutSerial = command == Command::Stage || command == Command::Verify;
    const QString nameHeader = command == Command::Stage    ? QStringLiteral("FOLDER")
                               : command == Command::Verify ? QStringLiteral("FILES")
                                                            : QStringLiteral("CAMERA");
    const QString serialHeader = QStringLiteral("SERIAL");
    const QString resultHeader = QStringLiteral("RESULT");
    qsizetype nameWidth = nameHeader.size();
    qsizetype serialWidth = serialHeader.size();
    qsizetype resultWidth = resultHeader.size();
    QStringList names;
    QStringList serials;
    for (const JobRecord& job : jobs) {
        names.append(Escaped(job.name));
        serials.append(job.Serial().isEmpty() ? QStringLiteral("-") : Escaped(job.Serial()));
        nameWidth = std::max(nameWidth, names.constLast().size());
        serialWidth = std::max(serialWidth, Escaped(job.Serial()).size());
        resultWidth = std::max(resultWidth, job.result.Shown().size());
    }
    auto line = [&](const QString& name, const QString& serial, const QString& result,
                    const QString& time) {
        return name.leftJustified(nameWidth) + QStringLiteral("  ") +
               (withoutSerial ? QString()
                              : serial.leftJustified(serialWidth) + QStringLiteral("  ")) +
               result.leftJustified(resultWidth) + QStringLiteral("  ") + time + QLatin1Char('\n');
    };
    QString text =
        QLatin1Char('\n') + line(nameHeader, serialHeader, resultHeader, QStringLiteral("TIME"));
    int failed = 0;
    for (qsizetype i = 0; i < jobs.size(); ++i) {
        const JobResult& result = jobs.at(i).result;
        text += line(names.at(i), serials.at(i), result.Shown(), Duration(result.elapsedMs));
        if (!result.Ok())
            ++failed;
    }
    text += QLatin1Char('\n');
    for (qsizetype i = 0; i < jobs.size(); ++i) {
        const JobResult& result = jobs.at(i).result;
        if (!result.Ok() && !result.detail.isEmpty())
            text += names.at(i) + QStringLiteral(": ") + Escaped(result.detail.simplified()) +
                    QLatin1Char('\n');
    }
    if (failed == 0)
        text += jobs.size() == 1 ? QStringLiteral("Succeeded.\n")
                                 : QStringLiteral("All %1 succeeded.\n").arg(jobs.size());
    else
        text += QStringLiteral("%1 of %2 failed.\n").arg(failed).arg(jobs.size());
    return text;
}

} // namespace kestrel::cli
