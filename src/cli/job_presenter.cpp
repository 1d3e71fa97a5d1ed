#include "job_presenter.h"

namespace kestrel::cli {

namespace {
const QString kLineEnd = QStringLiteral("\r\n");
} // namespace

JobPresenter::JobPresenter(int job, JobSink& sink) : m_job(job), m_sink(sink) {}

void JobPresenter::Post(JobEvent event) {
    event.job = m_job;
    if (event.kind == JobEvent::Kind::State || event.kind == JobEvent::Kind::Figures)
        m_state = event.state;
    m_sink.Post(event);
}

void JobPresenter::PostState(JobState state) {
    JobEvent event;
    event.kind = JobEvent::Kind::State;
    event.state = state;
    Post(event);
}

void JobPresenter::PostText(JobEvent::Kind kind, const QString& text) {
    JobEvent event;
    event.kind = kind;
    event.text = text;
    Post(event);
}

void JobPresenter::PostLog(const QString& line) {
    PostText(JobEvent::Kind::Log, line);
}

void JobPresenter::Say(const QString& text) {
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

void JobPresenter::Present(const SessionEvents& events) {
    QObject::connect(&events, &SessionEvents::progress, &m_context,
                     [this](int position) { PostProgress(position); });
    QObject::connect(&events, &SessionEvents::message, &m_context,
                     [this](const QString& text) { PostMessage(text); });
}

void JobPresenter::PostProgress(int position) {
    if (position == m_percent)
        return;
    m_percent = position;
    JobEvent event;
    event.kind = JobEvent::Kind::Percent;
    event.percent = position;
    Post(event);
}

void JobPresenter::PostMessage(const QString& text) {
    PostText(JobEvent::Kind::Message, text);
}

} // namespace kestrel::cli
