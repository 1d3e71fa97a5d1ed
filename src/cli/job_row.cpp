#include "outcome_texts.h"
#include "progress_output.h"
#include "terminal_text.h"

#include <algorithm>

namespace kestrel::cli {

bool JobRow::Apply(const JobEvent& event) {
    if (!clock.isValid())
        clock.start();
    switch (event.kind) {
    case JobEvent::Kind::State:
    case JobEvent::Kind::Figures: {
        const bool changed = state != event.state;
        if (changed) {
            done = total = 0;
            percent = 0;
        }
        state = event.state;
        if (event.kind == JobEvent::Kind::Figures) {
            done = event.done;
            total = event.total;
        }
        return changed;
    }
    case JobEvent::Kind::Percent:
        percent = event.percent;
        return false;
    case JobEvent::Kind::Connected:
        serial = event.identity.serial;
        return false;
    case JobEvent::Kind::Finished:
        finished = true;
        result = event.result;
        state = JobState::Done;
        serial = result.Serial();
        return true;
    case JobEvent::Kind::Log:
    case JobEvent::Kind::Message:
        return false;
    }
    return false;
}

QString JobRow::Figures() const {
    if (total <= 0)
        return QString();
    if (state == JobState::Erasing)
        return QStringLiteral("sector %1/%2").arg(done).arg(total);
    if (state == JobState::Programming)
        return QStringLiteral("page %1/%2").arg(done).arg(total);
    return QString();
}

void WriteText(std::FILE* stream, const QString& text) {
    const QByteArray bytes = text.toUtf8();
    std::fwrite(bytes.constData(), 1, static_cast<std::size_t>(bytes.size()), stream);
    std::fflush(stream);
}

QString SummaryTable(const QList<JobRow>& rows, bool copies) {
    // A copy onto a stick has a folder and no serial number.
    const QString nameHeader = copies ? QStringLiteral("FOLDER") : QStringLiteral("CAMERA");
    const QString serialHeader = QStringLiteral("SERIAL");
    const QString resultHeader = QStringLiteral("RESULT");
    qsizetype nameWidth = nameHeader.size();
    qsizetype serialWidth = serialHeader.size();
    qsizetype resultWidth = resultHeader.size();
    QStringList results;
    for (const JobRow& row : rows) {
        // A copy that was also ejected says so.
        const QString ok = row.result.eject.isEmpty()
                               ? QStringLiteral("ok")
                               : QStringLiteral("ok, ") + row.result.eject;
        const QString result =
            row.result.ok ? ok : QStringLiteral("FAILED: ") + ResultLabel(row.result.code);
        results.append(result);
        nameWidth = std::max(nameWidth, row.name.size());
        serialWidth = std::max(serialWidth, Escaped(row.serial).size());
        resultWidth = std::max(resultWidth, result.size());
    }
    auto line = [&](const QString& name, const QString& serial, const QString& result,
                    const QString& time) {
        return name.leftJustified(nameWidth) + QStringLiteral("  ") +
               (copies ? QString() : serial.leftJustified(serialWidth) + QStringLiteral("  ")) +
               result.leftJustified(resultWidth) + QStringLiteral("  ") + time + QLatin1Char('\n');
    };
    QString text =
        QLatin1Char('\n') + line(nameHeader, serialHeader, resultHeader, QStringLiteral("TIME"));
    int failed = 0;
    for (qsizetype i = 0; i < rows.size(); ++i) {
        const JobRow& row = rows.at(i);
        const QString serial = row.serial.isEmpty() ? QStringLiteral("-") : Escaped(row.serial);
        text += line(row.name, serial, results.at(i), Duration(row.result.elapsedMs));
        if (!row.result.ok)
            ++failed;
    }
    text += QLatin1Char('\n');
    for (const JobRow& row : rows) {
        if (!row.result.ok && !row.result.detail.isEmpty())
            text += row.name + QStringLiteral(": ") + Escaped(row.result.detail.simplified()) +
                    QLatin1Char('\n');
    }
    if (failed == 0)
        text += rows.size() == 1 ? QStringLiteral("Succeeded.\n")
                                 : QStringLiteral("All %1 succeeded.\n").arg(rows.size());
    else
        text += QStringLiteral("%1 of %2 failed.\n").arg(failed).arg(rows.size());
    return text;
}

} // namespace kestrel::cli
