#include "text_output.h"

#include "outcome_texts.h"
#include "terminal_text.h"

namespace kestrel::cli {

void TextOutput::Begin(Command command, const QStringList& jobs) {
    m_command = command;
    m_rows.clear();
    for (const QString& name : jobs) {
        JobRow row;
        row.name = Escaped(name);
        row.clock.start();
        m_rows.append(row);
    }
}

QString TextOutput::EventLines(const JobEvent& event) const {
    const QString prefix = m_rows.at(event.job).name + QStringLiteral(": ");
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
        lines = prefix + ResultText(r) + QStringLiteral(" (%1)\n").arg(Duration(r.elapsedMs));
        break;
    }
    case JobEvent::Kind::Plan: {
        // "program: older", "skip: current", "unreachable: why".
        const JobResult& r = event.result;
        QString line = r.code;
        if (!r.detail.isEmpty())
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

PlainOutput::PlainOutput(std::FILE* stream, int progressEveryMs) : m_stream(stream) {
    m_timer.setInterval(progressEveryMs);
    QObject::connect(&m_timer, &QTimer::timeout, [this] { ShowProgress(); });
}

void PlainOutput::Begin(Command command, const QStringList& jobs) {
    TextOutput::Begin(command, jobs);
    m_timer.start();
}

void PlainOutput::OnEvent(const JobEvent& event) {
    if (event.job < 0 || event.job >= m_rows.size())
        return;
    JobRow& row = m_rows[event.job];
    const bool changed = row.Apply(event);
    QString text = EventLines(event);
    if (changed && row.state != JobState::Done)
        text += row.name + QStringLiteral(": ") + StateLabel(row.state) + QLatin1Char('\n');
    if (!text.isEmpty())
        WriteText(m_stream, text);
}

void PlainOutput::ShowProgress() {
    QString text;
    for (const JobRow& row : m_rows) {
        if (row.finished)
            continue;
        text += row.name + QStringLiteral(": ") + StateLabel(row.state);
        const QString figures = row.Figures();
        if (!figures.isEmpty())
            text += QStringLiteral(", %1 (%2 %)").arg(figures).arg(row.percent);
        text += QStringLiteral(", %1\n").arg(Duration(row.clock.elapsed()));
    }
    if (!text.isEmpty())
        WriteText(m_stream, text);
}

void PlainOutput::End(const QList<JobResult>&) {
    m_timer.stop();
    WriteText(m_stream, SummaryTable(m_rows, m_command == Command::Stage));
}

} // namespace kestrel::cli
