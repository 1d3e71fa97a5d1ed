#include "plain_output.h"

#include "terminal.h"

namespace kestrel::cli {

PlainOutput::PlainOutput(std::FILE* stream, int progressEveryMs) : m_stream(stream) {
    m_timer.setInterval(progressEveryMs);
    QObject::connect(&m_timer, &QTimer::timeout, &m_timer, [this] { ShowProgress(); });
}

void PlainOutput::Begin(const JobPlan& plan, const QList<JobRecord>& jobs) {
    TextOutput::Begin(plan, jobs);
    if (!plan.Searches())
        m_timer.start();
}

void PlainOutput::OnEvent(const JobEvent& event, bool stateChanged) {
    const JobRecord& job = Jobs().at(event.job);
    QString lines = EventLines(event);
    if (stateChanged && job.state != JobState::Done)
        lines += Name(event.job) + QStringLiteral(": ") + StateLabel(job.state) + QLatin1Char('\n');
    const QString text = Lines(event, lines);
    if (!text.isEmpty())
        WriteText(m_stream, text);
}

void PlainOutput::ShowProgress() {
    QString text;
    for (int i = 0; i < Jobs().size(); ++i) {
        const JobRecord& job = Jobs().at(i);
        if (job.finished)
            continue;
        text += Name(i) + QStringLiteral(": ") + StateLabel(job.state);
        const QString figures = job.Figures();
        if (!figures.isEmpty())
            text += QStringLiteral(", %1 (%2 %)").arg(figures).arg(job.percent);
        text += QStringLiteral(", %1\n").arg(Duration(job.clock.elapsed()));
    }
    if (!text.isEmpty())
        WriteText(m_stream, TakeHeld() + text);
}

void PlainOutput::End() {
    m_timer.stop();
    WriteText(m_stream, TakeHeld() + Summary());
}

} // namespace kestrel::cli
