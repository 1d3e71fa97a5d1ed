#pragma once

#include "scan_finding.h"
#include "scan_settings.h"
#include "scan_targets.h"

#include <QObject>

#include <memory>
#include <vector>

namespace kestrel {

class CameraProbe;
class ScanQueue;

// Searches addresses for cameras, many at once (up to settings.parallel
// connections open at a time, each a CameraProbe looking at one address
// after the other), and reports each camera as it answers. Everything runs
// in the thread that builds it, driven by the connections' signals; its
// signals come there.
class CameraScanner : public QObject {
    Q_OBJECT
public:
    explicit CameraScanner(ScanSettings settings, QObject* parent = nullptr);
    ~CameraScanner() override;

    // Starts a search of the targets (an address given twice is looked at
    // once). False, and nothing starts, while a search is under way or when
    // the targets hold no address.
    bool Start(std::vector<ScanTarget> targets);
    // Ends the search: the looks under way end at once, nothing more is
    // reported but finished().
    void Stop();
    bool Searching() const { return m_queue != nullptr; }

signals:
    void cameraFound(const kestrel::ScanFinding& finding);
    // Addresses looked at so far, of all of them.
    void progress(qint64 tried, qint64 total);
    void finished();

private:
    // Gives the probe the next address, or lets it rest when none is left.
    void LookAtNext(CameraProbe* probe);
    void OnLooked(CameraProbe* probe, bool found, const ScanFinding& finding);

    ScanSettings m_settings;
    std::unique_ptr<ScanQueue> m_queue;
    std::vector<std::unique_ptr<CameraProbe>> m_probes; // kept from one search to the next
    qint64 m_tried = 0;
    qint64 m_total = 0;
    int m_looking = 0; // probes with a look under way
    bool m_stopped = false;
};

} // namespace kestrel
