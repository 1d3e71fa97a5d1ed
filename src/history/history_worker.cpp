#include "history_worker.h"

#include <QMetaObject>

#include <utility>

namespace kestrel {

HistoryWorker::HistoryWorker(QString path, HistoryStore::Options options)
    : m_path(std::move(path)), m_options(options) {}

HistoryWorker::~HistoryWorker() = default;

void HistoryWorker::Take(HistoryEvent event) {
    m_pending.push_back(std::move(event));
    if (m_drainQueued)
        return;
    // After the events already queued, so that a burst goes in one transaction.
    m_drainQueued = true;
    QMetaObject::invokeMethod(this, &HistoryWorker::Drain, Qt::QueuedConnection);
}

void HistoryWorker::Drain() {
    m_drainQueued = false;
    if (m_pending.empty())
        return;
    QString sentence;
    if (!m_store) {
        auto store = std::make_unique<HistoryStore>();
        if (store->Open(m_path, &sentence, m_options))
            m_store = std::move(store);
    }
    if (m_store && m_store->Append(m_pending, &sentence)) {
        const qint64 lastId = m_pending.back().id;
        m_pending.clear();
        m_lastFailure.clear();
        emit wrote(lastId);
        return;
    }
    m_lastFailure = sentence;
    emit failure(sentence);
}

bool HistoryWorker::Close(QString* failure) {
    Drain();
    m_store.reset();
    *failure = m_lastFailure;
    return m_pending.empty();
}

} // namespace kestrel
