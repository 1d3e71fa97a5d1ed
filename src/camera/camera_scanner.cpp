#include "camera_scanner.h"

#include "scan_queue.h"
#include "scan_worker.h"

#include <QThread>

#include <algorithm>

namespace kestrel {

CameraScanner::CameraScanner(ScanSettings settings, QObject* parent)
    : QObject(parent), m_settings(settings) {
    qRegisterMetaType<ScanFinding>();
}

CameraScanner::~CameraScanner() {
    Stop();
    EndThreads();
}

bool CameraScanner::Start(std::vector<ScanTarget> targets) {
    if (m_queue)
        return false;
    auto queue = std::make_unique<ScanQueue>(std::move(targets));
    if (queue->Total() == 0)
        return false;
    EndThreads(); // those of a stopped search, ended by now or shortly
    m_queue = std::move(queue);
    m_total = static_cast<qint64>(m_queue->Total());
    m_tried = 0;
    m_stopped = false;
    const auto count = static_cast<int>(
        std::min<std::uint64_t>(std::max(1, m_settings.parallel), m_queue->Total()));
    m_running = count;
    for (int i = 0; i < count; ++i) {
        auto* thread = new QThread;
        auto* worker = new ScanWorker(*m_queue, m_settings);
        worker->moveToThread(thread);
        connect(thread, &QThread::started, worker, &ScanWorker::LookAtNext);
        connect(worker, &ScanWorker::found, this, [this](const ScanFinding& finding) {
            if (!m_stopped)
                emit cameraFound(finding);
        });
        connect(worker, &ScanWorker::tried, this, [this] {
            if (!m_stopped)
                emit progress(++m_tried, m_total);
        });
        // Directly, in the worker's thread: this thread may be waiting for it.
        connect(worker, &ScanWorker::done, thread, &QThread::quit, Qt::DirectConnection);
        connect(worker, &ScanWorker::done, this, &CameraScanner::OnWorkerDone);
        m_threads.push_back(thread);
        m_workers.push_back(worker);
        thread->start();
    }
    return true;
}

void CameraScanner::Stop() {
    if (!m_queue || m_stopped)
        return;
    m_stopped = true;
    m_queue->Stop();
    for (ScanWorker* worker : m_workers)
        QMetaObject::invokeMethod(worker, &ScanWorker::Abort, Qt::QueuedConnection);
}

void CameraScanner::OnWorkerDone() {
    if (--m_running > 0)
        return;
    EndThreads();
    m_queue.reset();
    emit finished();
}

void CameraScanner::EndThreads() {
    // Each thread ends by itself once its worker is done; quitting it from
    // here could catch a look in a nested wait.
    for (QThread* thread : m_threads) {
        thread->wait();
        delete thread;
    }
    m_threads.clear();
    for (ScanWorker* worker : m_workers)
        delete worker;
    m_workers.clear();
    if (m_running > 0) { // threads ended before saying so: the destructor
        m_running = 0;
        m_queue.reset();
    }
}

} // namespace kestrel
