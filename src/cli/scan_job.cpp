#include "scan_job.h"

#include <QMetaObject>

namespace kestrel::cli {

ScanJob::ScanJob(const JobPlan& plan, JobSink& sink)
    : m_targets(plan.targets), m_sink(sink), m_scanner(plan.scan) {
    connect(&m_scanner, &CameraScanner::cameraFound, this, [this](const ScanFinding& finding) {
        m_result.found.append(finding);
        JobEvent event;
        event.kind = JobEvent::Kind::Found;
        event.finding = finding;
        m_sink.Post(event);
    });
    connect(&m_scanner, &CameraScanner::progress, this, [this](qint64 tried, qint64 total) {
        JobEvent event;
        event.kind = JobEvent::Kind::Searched;
        event.done = tried;
        event.total = total;
        m_sink.Post(event);
    });
    connect(&m_scanner, &CameraScanner::finished, this, &ScanJob::End);
}

void ScanJob::Start() {
    m_clock.start();
    if (!m_scanner.Start(m_targets)) // nothing to search: told from the events
        QMetaObject::invokeMethod(this, &ScanJob::End, Qt::QueuedConnection);
}

void ScanJob::Stop() {
    m_stopped = true;
    m_scanner.Stop();
}

void ScanJob::End() {
    const ResultCode code = m_stopped                  ? ResultCode::Interrupted
                            : m_result.found.isEmpty() ? ResultCode::NoneFound
                                                       : ResultCode::Ok;
    m_result.Set(code, QString());
    m_result.elapsedMs = m_clock.elapsed();
    JobEvent event;
    event.kind = JobEvent::Kind::Finished;
    event.result = m_result;
    m_sink.Post(event);
}

} // namespace kestrel::cli
