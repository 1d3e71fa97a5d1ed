#pragma once

#include "file_stager.h"

#include <mutex>

namespace kestrel {

// The progress of a copy in which writing one file and reading back the one
// before may go on at the same time, on two threads. Every change is passed to
// the sink in one order, so the byte counts it sees never go back.
class ProgressBook {
public:
    ProgressBook(const StagingProgressSink& sink, qint64 overallTotal);

    // done: bytes of this item written (or read back) so far.
    void Copying(int item, qint64 itemSize, qint64 done);
    void Verifying(int item, qint64 itemSize, qint64 done);
    void CopyEnded();
    void VerifyEnded();

private:
    struct Activity {
        int item = -1;
        qint64 size = 0;
        qint64 done = 0;
    };

    static void Move(Activity& activity, int item, qint64 size, qint64 done, qint64& ended);
    void Tell(); // with m_mutex held

    std::mutex m_mutex;
    const StagingProgressSink& m_sink;
    const qint64 m_total;
    qint64 m_ended = 0; // bytes of copies and read-backs that have ended
    Activity m_copy;
    Activity m_verify;
};

} // namespace kestrel
