#include "history_writer.h"

#include "history_sha256.h"
#include "history_worker.h"

#include <QMetaObject>

#include <utility>

namespace kestrel {

HistoryWriter::HistoryWriter(const QString& path, HistoryStore::Options options, QObject* parent)
    : QObject(parent), m_path(path), m_worker(new HistoryWorker(path, options)) {
    StartHistorySha256();
    m_thread.setObjectName(QStringLiteral("history writer"));
    m_worker->moveToThread(&m_thread);
    connect(m_worker, &HistoryWorker::wrote, this, &HistoryWriter::written);
    connect(m_worker, &HistoryWorker::failure, this, &HistoryWriter::Tell);
    m_thread.start();
}

HistoryWriter::~HistoryWriter() {
    Finish();
}

void HistoryWriter::Write(HistoryEvent event) {
    if (m_finished)
        return;
    QMetaObject::invokeMethod(
        m_worker,
        [worker = m_worker, e = std::move(event)]() mutable { worker->Take(std::move(e)); },
        Qt::QueuedConnection);
}

bool HistoryWriter::Finish(QString* failure) {
    if (!m_finished) {
        m_finished = true;
        QString last;
        // Runs after every event queued before it.
        QMetaObject::invokeMethod(
            m_worker, [&] { m_allWritten = m_worker->Close(&last); }, Qt::BlockingQueuedConnection);
        m_thread.quit();
        m_thread.wait();
        delete m_worker;
        m_worker = nullptr;
        if (!m_allWritten) {
            m_failure = last;
            Tell(last);
        }
    }
    if (failure)
        *failure = m_allWritten ? QString() : m_failure;
    return m_allWritten;
}

void HistoryWriter::Tell(const QString& sentence) {
    if (m_told)
        return;
    m_told = true;
    m_failure = sentence;
    emit failed(sentence);
}

} // namespace kestrel
