#include "job_surface.h"

#include "event_wait.h"

#include <QEventLoop>
#include <QTimer>

namespace kestrel::cli {

namespace {
const QString kLineEnd = QStringLiteral("\r\n");
} // namespace

JobSurface::JobSurface(int job, QString address, JobSink& sink, const JobStop* stop)
    : m_job(job), m_address(std::move(address)), m_sink(sink), m_stop(stop) {}

void JobSurface::Post(JobEvent event) {
    event.job = m_job;
    m_sink.Post(event);
}

void JobSurface::PostState(JobState state) {
    JobEvent event;
    event.kind = JobEvent::Kind::State;
    event.state = state;
    Post(event);
}

void JobSurface::PostLog(const QString& line) {
    JobEvent event;
    event.kind = JobEvent::Kind::Log;
    event.text = line;
    Post(event);
}

void JobSurface::FollowLog(const LogBook& log) {
    QObject::connect(&log, &LogBook::restarted, [this] { m_partial.clear(); });
    QObject::connect(&log, &LogBook::written, [this](const QString& text) { AddToLog(text); });
}

void JobSurface::AddToLog(const QString& text) {
    m_partial += text;
    qsizetype from = 0;
    for (;;) {
        const qsizetype end = m_partial.indexOf(kLineEnd, from);
        if (end < 0)
            break;
        const QString line = m_partial.mid(from, end - from).trimmed();
        if (!line.isEmpty())
            PostLog(line);
        from = end + kLineEnd.size();
    }
    m_partial.remove(0, from);
}

// The log is followed as it is written; its pane and the others are not shown.
void JobSurface::ShowTextWithCaret(Pane, const QString&, qsizetype) {}

void JobSurface::SetPaneText(Pane, const QString&) {}

void JobSurface::SetProgress(int position) {
    if (position == m_percent)
        return;
    m_percent = position;
    JobEvent event;
    event.kind = JobEvent::Kind::Percent;
    event.percent = position;
    Post(event);
}

void JobSurface::ShowMessageBox(const QString& text) {
    JobEvent event;
    event.kind = JobEvent::Kind::Message;
    event.text = text;
    Post(event);
}

std::optional<QString> JobSurface::ChooseExistingFile(const QString&, const QList<FileFilter>&) {
    return std::nullopt;
}

std::optional<QString> JobSurface::ChooseFolder() {
    return std::nullopt;
}

void JobSurface::Wait(int ms) {
    if (!m_stop) {
        WaitServingEvents(ms);
        return;
    }
    QEventLoop loop;
    QTimer timer;
    timer.setSingleShot(true);
    timer.setTimerType(Qt::PreciseTimer);
    QObject::connect(&timer, &QTimer::timeout, &loop, &QEventLoop::quit);
    QObject::connect(m_stop, &JobStop::requested, &loop, &QEventLoop::quit);
    timer.start(ms);
    // A stop asked before the connection above is seen here.
    if (!m_stop->Requested())
        loop.exec();
}

} // namespace kestrel::cli
