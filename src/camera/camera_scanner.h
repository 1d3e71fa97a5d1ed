#pragma once

#include "scan_finding.h"
#include "scan_settings.h"
#include "scan_targets.h"

#include <QObject>

#include <memory>
#include <vector>

class QThread;

namespace kestrel {

class ScanQueue;
class ScanWorker;

// Searches addresses for cameras, many at once (settings.parallel threads,
// each looking at one address at a time, see CameraProbe), and reports each
// camera as it answers. Lives in the thread that builds it; its signals come
// there.
class CameraScanner : public QObject {
    Q_OBJECT
public:
    explicit CameraScanner(ScanSettings settings, QObject* parent = nullptr);
    ~CameraScanner() override; // stops a search under way and waits for its threads

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
    void OnWorkerDone();
    void EndThreads();

    ScanSettings m_settings;
    std::unique_ptr<ScanQueue> m_queue;
    std::vector<QThread*> m_threads;
    std::vector<ScanWorker*> m_workers;
    qint64 m_tried = 0;
    qint64 m_total = 0;
    int m_running = 0;
    bool m_stopped = false;
};

} // namespace kestrel
