#pragma once

#include "scan_finding.h"
#include "scan_settings.h"

#include <QObject>

#include <memory>

namespace kestrel {

class CameraProbe;
class ScanQueue;

// One of the threads of a search: takes the next address from the queue,
// looks at it, reports, and goes back to its event loop before the next one.
// Lives in its own thread; its slots run there.
class ScanWorker : public QObject {
    Q_OBJECT
public:
    ScanWorker(ScanQueue& queue, ScanSettings settings);
    ~ScanWorker() override;

    // Looks at the next address, then queues the call again; says done()
    // when the queue is empty.
    void LookAtNext();
    // Ends the look under way; nothing more is reported.
    void Abort();

signals:
    void found(const kestrel::ScanFinding& finding);
    void tried();
    void done();

private:
    ScanQueue& m_queue;
    ScanSettings m_settings;
    std::unique_ptr<CameraProbe> m_probe; // built in the worker's thread
    bool m_aborted = false;
    bool m_done = false;
    bool m_looking = false; // inside Look, which waits in nested event loops
};

} // namespace kestrel
