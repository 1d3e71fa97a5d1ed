#include "progress_book.h"

namespace kestrel {

ProgressBook::ProgressBook(const StagingProgressSink& sink, qint64 overallTotal)
    : m_sink(sink), m_total(overallTotal) {}

void ProgressBook::Move(Activity& activity, int item, qint64 size, qint64 done, qint64& ended) {
    if (activity.item != item) {
        ended += activity.done;
        activity = {item, size, 0};
    }
    activity.done = done;
}

void ProgressBook::Copying(int item, qint64 itemSize, qint64 done) {
    const std::lock_guard lock(m_mutex);
    Move(m_copy, item, itemSize, done, m_ended);
    Tell();
}

void ProgressBook::Verifying(int item, qint64 itemSize, qint64 done) {
    const std::lock_guard lock(m_mutex);
    Move(m_verify, item, itemSize, done, m_ended);
    Tell();
}

void ProgressBook::CopyEnded() {
    const std::lock_guard lock(m_mutex);
    Move(m_copy, -1, 0, 0, m_ended);
}

void ProgressBook::VerifyEnded() {
    const std::lock_guard lock(m_mutex);
    Move(m_verify, -1, 0, 0, m_ended);
}

void ProgressBook::Tell() {
    // The status line follows the write while there is one; the read-back
    // of the file before goes on beside it.
    const bool copying = m_copy.item >= 0;
    const Activity& shown = copying ? m_copy : m_verify;
    StagingProgress progress;
    progress.item = shown.item;
    progress.phase = copying ? StagingProgress::Phase::Copying : StagingProgress::Phase::Verifying;
    progress.itemDone = shown.done;
    progress.itemSize = shown.size;
    progress.overallDone = m_ended + m_copy.done + m_verify.done;
    progress.overallTotal = m_total;
    m_sink(progress);
}

} // namespace kestrel
