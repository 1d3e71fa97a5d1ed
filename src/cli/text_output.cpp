#include "text_output.h"

#include "hw_version_rule.h"
#include "terminal.h"

#include <QHostAddress>

#include <algorithm>

namespace kestrel::cli {

namespace {

QString Cell(const QString& text) {
    return text.isEmpty() ? QStringLiteral("-") : Escaped(text);
}

// A version as the rule reads it; what is not one is "unread" (JSON keeps
// what the camera gave).
QString VersionCell(const QString& text) {
    if (text.isEmpty())
        return Cell(text);
    const std::string version = NormalizedHwVersion(text.toLatin1().toStdString());
    return version.empty() ? QStringLiteral("unread") : QString::fromStdString(version);
}

QStringList Cells(const ScanFinding& finding) {
    return {finding.Endpoint(),
            ScanFinding::StateName(finding.state),
            Cell(finding.identity.serial),
            Cell(finding.identity.model),
            VersionCell(finding.identity.hardware),
            Cell(finding.identity.software)};
}

QString FoundCount(qsizetype found, std::uint64_t addresses) {
    return QStringLiteral("%1 %2 found at %3 %4.\n")
        .arg(found)
        .arg(found == 1 ? QStringLiteral("camera") : QStringLiteral("cameras"))
        .arg(addresses)
        .arg(addresses == 1 ? QStringLiteral("address") : QStringLiteral("addresses"));
}

// The lines of a table, each column as wide as its widest cell and two
// spaces from the next.
QString Columns(const QList<QStringList>& rows) {
    QList<qsizetype> widths(rows.first().size(), 0);
    for (const QStringList& row : rows) {
        for (qsizetype column = 0; column < row.size(); ++column)
            widths[column] = std::max(widths[column], row[column].size());
    }
    QString text;
    for (const QStringList& row : rows) {
        for (qsizetype column = 0; column + 1 < row.size(); ++column)
            text += row[column].leftJustified(widths[column] + 2);
        text += row.last() + QLatin1Char('\n');
    }
    return text;
}

} // namespace

void TextOutput::Begin(const JobPlan& plan, const QList<JobRecord>& jobs) {
    m_plan = &plan;
    m_jobs = &jobs;
    m_heldJob = -1;
}

QString TextOutput::Name(int job) const {
    return Escaped(m_jobs->at(job).name);
}

QString TextOutput::Lines(const JobEvent& event, const QString& lines) {
    QString text;
    if (m_heldJob >= 0) {
        // A job's end, or its plan, carries the reason a message may have told.
        const bool ends =
            (event.kind == JobEvent::Kind::Finished || event.kind == JobEvent::Kind::Plan) &&
            event.job == m_heldJob;
        const bool reason = ends && !event.result.Ok() &&
                            event.result.detail.simplified() == m_heldText.simplified();
        if (!ends && lines.isEmpty())
            return QString(); // nothing to print yet
        if (!reason)
            text = m_heldLine;
        m_heldJob = -1;
    }
    if (event.kind == JobEvent::Kind::Message) {
        m_heldJob = event.job;
        m_heldText = event.text;
        m_heldLine = lines;
        return text;
    }
    return text + lines;
}

QString TextOutput::TakeHeld() {
    if (m_heldJob < 0)
        return QString();
    m_heldJob = -1;
    return m_heldLine;
}

QString TextOutput::EventLines(const JobEvent& event) const {
    const QString prefix = Name(event.job) + QStringLiteral(": ");
    QString lines;
    switch (event.kind) {
    case JobEvent::Kind::Log:
        lines = prefix + Escaped(event.text) + QLatin1Char('\n');
        break;
    case JobEvent::Kind::Message:
        // What the window shows in a message box, on one line.
        lines =
            prefix + QStringLiteral("! ") + Escaped(event.text.simplified()) + QLatin1Char('\n');
        break;
    case JobEvent::Kind::Connected:
        if (event.runInProgress) {
            lines = prefix + QStringLiteral("the camera is programming its flash memory\n");
        } else if (m_plan->command->work == CameraWork::Read) {
            for (const QString& part : event.text.split(QStringLiteral("\r\n"), Qt::SkipEmptyParts))
                lines += prefix + Escaped(part) + QLatin1Char('\n');
        } else {
            const CameraIdentity& id = event.identity;
            lines = prefix +
                    QStringLiteral("serial %1, %2, hardware firmware %3, software firmware %4\n")
                        .arg(Escaped(id.serial), Escaped(id.model), Escaped(id.hardware),
                             Escaped(id.software));
        }
        break;
    case JobEvent::Kind::Finished: {
        if (m_plan->Searches())
            break; // a search ends in its summary alone
        const JobResult& r = event.result;
        lines = prefix + r.Shown() + QStringLiteral(" (%1)\n").arg(Duration(r.elapsedMs));
        break;
    }
    case JobEvent::Kind::Plan: {
        // "program: older", "skip: current", "skip: power-cycle pending: programmed
        // at 10:02 on this bench; ...", "unreachable" (why: in the summary). An
        // action's words, and its reason when they do not already say it.
        const JobResult& r = event.result;
        const QString detail = Escaped(r.detail.simplified());
        QString line = r.Ok() ? LabelOf(r.code) : CodeOf(r.code);
        if (r.Ok() && !detail.isEmpty() && !line.endsWith(detail))
            line += QStringLiteral(": ") + detail;
        lines = prefix + QStringLiteral("plan: ") + line + QLatin1Char('\n');
        break;
    }
    case JobEvent::Kind::Found:
        if (m_plan->form == OutputForm::Plain)
            lines = FoundLine(event.finding);
        else if (m_plan->form == OutputForm::Addresses)
            lines = event.finding.Endpoint() + QLatin1Char('\n');
        break; // the table: at the end, sorted
    case JobEvent::Kind::State:
    case JobEvent::Kind::Figures:
    case JobEvent::Kind::Percent:
    case JobEvent::Kind::Searched:
        break;
    }
    return lines;
}

QString TextOutput::Summary() const {
    if (!m_plan->Searches())
        return SummaryTable(Jobs(), m_plan->command->jobColumn, m_plan->command->serials);
    const QList<ScanFinding>& found = Jobs().first().result.found;
    switch (m_plan->form) {
    case OutputForm::Default:
        return (found.isEmpty() ? QString() : FoundTable(found)) +
               FoundCount(found.size(), m_plan->addresses);
    case OutputForm::Plain:
        return FoundCount(found.size(), m_plan->addresses);
    case OutputForm::Addresses:
    case OutputForm::Json:
        break;
    }
    return QString();
}

QString SummaryTable(const QList<JobRecord>& jobs, const QString& jobColumn, bool serials) {
    QList<QStringList> rows{
        {jobColumn, QStringLiteral("SERIAL"), QStringLiteral("RESULT"), QStringLiteral("TIME")}};
    QString reasons;
    int failed = 0;
    for (const JobRecord& job : jobs) {
        const JobResult& result = job.result;
        const QString name = Escaped(job.name);
        rows.append({name, job.Serial().isEmpty() ? QStringLiteral("-") : Escaped(job.Serial()),
                     result.Shown(), Duration(result.elapsedMs)});
        if (result.Ok())
            continue;
        ++failed;
        if (!result.detail.isEmpty())
            reasons += name + QStringLiteral(": ") + Escaped(result.detail.simplified()) + u'\n';
    }
    if (!serials) {
        for (QStringList& row : rows)
            row.removeAt(1);
    }
    const QString text = u'\n' + Columns(rows) + u'\n' + reasons;
    if (failed == 0)
        return text + (jobs.size() == 1 ? QStringLiteral("Succeeded.\n")
                                        : QStringLiteral("All %1 succeeded.\n").arg(jobs.size()));
    return text + QStringLiteral("%1 of %2 failed.\n").arg(failed).arg(jobs.size());
}

QString FoundTable(QList<ScanFinding> found) {
    std::sort(found.begin(), found.end(), [](const ScanFinding& a, const ScanFinding& b) {
        return std::pair(QHostAddress(a.address).toIPv4Address(), a.port) <
               std::pair(QHostAddress(b.address).toIPv4Address(), b.port);
    });
    QList<QStringList> rows{{QStringLiteral("CAMERA"), QStringLiteral("STATE"),
                             QStringLiteral("SERIAL"), QStringLiteral("MODEL"),
                             QStringLiteral("HARDWARE"), QStringLiteral("SOFTWARE")}};
    for (const ScanFinding& finding : found)
        rows.append(Cells(finding));
    return Columns(rows);
}

QString FoundLine(const ScanFinding& finding) {
    return Cells(finding).join(QLatin1Char('\t')) + QLatin1Char('\n');
}

} // namespace kestrel::cli
