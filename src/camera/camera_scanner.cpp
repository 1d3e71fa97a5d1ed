#include "camera_scanner.h"

#include "camera_probe.h"
#include "scan_queue.h"

#include <QHostAddress>

#include <algorithm>

namespace kestrel {

CameraScanner::CameraScanner(ScanSettings settings, QObject* parent)
    : QObject(parent), m_settings(settings) {
    qRegisterMetaType<ScanFinding>();
}

CameraScanner::~CameraScanner() = default;

bool CameraScanner::Start(std::vector<ScanTarget> targets) {
    if (m_queue)
        return false;
    auto queue = std::make_unique<ScanQueue>(std::move(targets));
    if (queue->Total() == 0)
        return false;
    m_queue = std::move(queue);
    m_total = static_cast<qint64>(m_queue->Total());
    m_tried = 0;
    m_stopped = false;
    const auto count = static_cast<std::size_t>(
        std::min<std::uint64_t>(std::max(1, m_settings.parallel), m_queue->Total()));
    while (m_probes.size() < count) {
        auto probe = std::make_unique<CameraProbe>(m_settings);
        CameraProbe* looker = probe.get();
        connect(looker, &CameraProbe::looked, this,
                [this, looker](bool found, const ScanFinding& finding) {
                    OnLooked(looker, found, finding);
                });
        m_probes.push_back(std::move(probe));
    }
    for (std::size_t i = 0; i < count; ++i)
        LookAtNext(m_probes[i].get());
    return true;
}

void CameraScanner::LookAtNext(CameraProbe* probe) {
    const std::optional<ScanQueue::Address> next = m_queue->Next();
    if (next) {
        ++m_looking;
        probe->Look(QHostAddress(next->address).toString(), next->port);
        return;
    }
    if (m_looking > 0)
        return;
    m_queue.reset();
    emit finished();
}

void CameraScanner::OnLooked(CameraProbe* probe, bool found, const ScanFinding& finding) {
    --m_looking;
    if (!m_stopped) {
        if (found)
            emit cameraFound(finding);
        emit progress(++m_tried, m_total);
    }
    if (m_queue)
        LookAtNext(probe);
}

void CameraScanner::Stop() {
    if (!m_queue || m_stopped)
        return;
    m_stopped = true;
    m_queue->Stop();
    for (const auto& probe : m_probes)
        probe->Abort();
}

} // namespace kestrel
