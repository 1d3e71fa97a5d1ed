#include "live_output.h"

#include "terminal.h"

#include <algorithm>

namespace kestrel::cli {

namespace {

constexpr int kRedrawMs = 100;
constexpr int kBarWidth = 16;
constexpr qsizetype kStateWidth = 12;
constexpr qsizetype kFiguresWidth = 16;

QString Bar(int percent) {
    const int filled = std::clamp(percent, 0, 100) * kBarWidth / 100;
    return QLatin1Char('[') + QString(filled, QLatin1Char('#')) +
           QString(kBarWidth - filled, QLatin1Char('-')) + QLatin1Char(']');
}

bool ShowsBar(JobState state) {
    return state == JobState::Erasing || state == JobState::Programming ||
           state == JobState::Copying || state == JobState::Checking;
}

} // namespace

LiveOutput::LiveOutput(std::FILE* stream) : m_stream(stream) {
    m_timer.setInterval(kRedrawMs);
    QObject::connect(&m_timer, &QTimer::timeout, &m_timer, [this] {
        // Redrawn when something changed, and once a second for the times.
        const qint64 second = m_clock.elapsed() / 1000;
        if (m_dirty || second != m_drawnSecond)
            Redraw();
    });
}

void LiveOutput::Begin(const JobPlan& plan, const QList<JobRecord>& jobs) {
    TextOutput::Begin(plan, jobs);
    m_nameWidth = 0;
    for (int i = 0; i < jobs.size(); ++i)
        m_nameWidth = std::max(m_nameWidth, Name(i).size());
    m_clock.start();
    Redraw();
    m_timer.start();
}

void LiveOutput::OnEvent(const JobEvent& event, bool) {
    // A job's end shows in its bar line, then in the summary.
    m_pending +=
        Lines(event, event.kind == JobEvent::Kind::Finished ? QString() : EventLines(event));
    m_dirty = true;
}

void LiveOutput::End() {
    m_timer.stop();
    m_pending += TakeHeld();
    // The bars give way to the summary, which says the same and more.
    WriteText(m_stream, TakeBarsAway() + Summary());
}

QString LiveOutput::TakeBarsAway() {
    QString text;
    if (m_drawn > 0)
        text += QStringLiteral("\x1b[%1F\x1b[J").arg(m_drawn); // back to the first bar line
    m_drawn = 0;
    text += m_pending;
    m_pending.clear();
    return text;
}

void LiveOutput::Redraw() {
    QString text = TakeBarsAway();
    const int width = TerminalWidth(m_stream);
    // Bars can only be redrawn in place while they all fit on the screen:
    // with more jobs than lines, those still at work come first and the rest
    // are counted on one line.
    const qsizetype room = std::max(2, TerminalHeight(m_stream) - 2);
    const QList<JobRecord>& jobs = Jobs();
    QList<int> shown;
    for (const bool finished : {false, true}) {
        for (int i = 0; i < jobs.size(); ++i) {
            if (jobs.size() <= room || jobs.at(i).finished == finished)
                shown.append(i);
        }
        if (jobs.size() <= room)
            break; // all in their own order
    }
    qsizetype hidden = 0;
    if (shown.size() > room) {
        hidden = shown.size() - (room - 1);
        shown.resize(room - 1);
    }
    for (const int job : shown)
        text += RowText(job, width) + QLatin1Char('\n');
    if (hidden > 0)
        text += QStringLiteral("... and %1 more").arg(hidden).left(std::max(1, width - 1)) +
                QLatin1Char('\n');
    m_drawn = static_cast<int>(shown.size() + (hidden > 0 ? 1 : 0));
    m_dirty = false;
    m_drawnSecond = m_clock.elapsed() / 1000;
    WriteText(m_stream, text);
}

QString LiveOutput::RowText(int job, int width) const {
    const JobRecord& row = Jobs().at(job);
    QString text = Name(job).leftJustified(m_nameWidth) + QStringLiteral("  ");
    if (row.finished) {
        text += row.result.Shown() + QStringLiteral("  ") + Duration(row.result.elapsedMs);
    } else {
        text += StateLabel(row.state).leftJustified(kStateWidth) + QLatin1Char(' ');
        if (ShowsBar(row.state))
            text += Bar(row.percent) + QStringLiteral(" %1%  ").arg(row.percent, 3) +
                    row.Figures().leftJustified(kFiguresWidth) + QLatin1Char(' ');
        text += Duration(row.clock.elapsed());
    }
    // A line wider than the terminal would wrap and the bars would no longer
    // be redrawn in place.
    return text.left(std::max(1, width - 1));
}

SearchLine::SearchLine(std::unique_ptr<ProgressOutput> within, std::FILE* stream, bool showProgress)
    : m_within(std::move(within)), m_stream(stream), m_showProgress(showProgress) {}

void SearchLine::Begin(const JobPlan& plan, const QList<JobRecord>& jobs) {
    m_jobs = &jobs;
    m_within->Begin(plan, jobs);
}

void SearchLine::OnEvent(const JobEvent& event, bool stateChanged) {
    m_within->OnEvent(event, stateChanged);
    if (event.kind == JobEvent::Kind::Found)
        ++m_found;
    if (event.kind == JobEvent::Kind::Searched && m_showProgress)
        WriteText(m_stream, QStringLiteral("\rsearching: %1 of %2 addresses, %3 found\x1b[K")
                                .arg(event.done)
                                .arg(event.total)
                                .arg(m_found));
}

void SearchLine::End() {
    if (m_showProgress)
        WriteText(m_stream, QStringLiteral("\r\x1b[K"));
    m_within->End();
    for (const JobRecord& job : *m_jobs) {
        if (job.result.code == ResultCode::Interrupted)
            WriteText(m_stream, QStringLiteral("kestrel-flash: search interrupted\n"));
    }
}

} // namespace kestrel::cli
