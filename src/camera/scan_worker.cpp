#include "scan_worker.h"

#include "camera_probe.h"
#include "scan_queue.h"

#include <QHostAddress>

namespace kestrel {

ScanWorker::ScanWorker(ScanQueue& queue, ScanSettings settings)
    : m_queue(queue), m_settings(settings) {}

ScanWorker::~ScanWorker() = default;

void ScanWorker::LookAtNext() {
    const std::optional<ScanQueue::Address> next = m_aborted ? std::nullopt : m_queue.Next();
    if (!next) {
        m_probe.reset();
        if (!m_done) {
            m_done = true;
            emit done();
        }
        return;
    }
    if (!m_probe)
        m_probe = std::make_unique<CameraProbe>(m_settings);
    m_looking = true;
    const std::optional<ScanFinding> finding =
        m_probe->Look(QHostAddress(next->address).toString(), next->port);
    m_looking = false;
    if (finding && !m_aborted)
        emit found(*finding);
    if (!m_aborted)
        emit tried();
    // Back to the event loop first: sockets closed meanwhile are deleted there.
    QMetaObject::invokeMethod(this, &ScanWorker::LookAtNext, Qt::QueuedConnection);
}

void ScanWorker::Abort() {
    if (m_aborted)
        return;
    m_aborted = true;
    if (m_looking) {
        m_probe->Abort(); // the look ends at once, and LookAtNext goes on from there
        return;
    }
    QMetaObject::invokeMethod(this, &ScanWorker::LookAtNext, Qt::QueuedConnection);
}

} // namespace kestrel
