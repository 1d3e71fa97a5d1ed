#include "text_output.h"

#include "terminal_text.h"

namespace kestrel::cli {

void TextOutput::Begin(Command command, const QList<JobRecord>& jobs) {
    m_command = command;
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
        const bool ends = (event.kind == JobEvent::Kind::Finished ||
                           event.kind == JobEvent::Kind::Plan) &&
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
        } else if (m_command == Command::Info) {
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
        const JobResult& r = event.result;
        lines = prefix + r.Shown() + QStringLiteral(" (%1)\n").arg(Duration(r.elapsedMs));
        break;
    }
    case JobEvent::Kind::Plan: {
        // "program: older", "skip: current", "unreachable" (why: in the summary).
        const JobResult& r = event.result;
        QString line = CodeOf(r.code);
        if (r.Ok() && !r.detail.isEmpty())
            line += QStringLiteral(": ") + Escaped(r.detail.simplified());
        lines = prefix + QStringLiteral("plan: ") + line + QLatin1Char('\n');
        break;
    }
    case JobEvent::Kind::State:
    case JobEvent::Kind::Figures:
    case JobEvent::Kind::Percent:
        break;
    }
    return lines;
}

} // namespace kestrel::cli
