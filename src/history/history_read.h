#pragma once

#include "history_filter.h"
#include "history_operation.h"

#include <QString>

#include <vector>

namespace kestrel {

// The operations of a history, as a window or a report reads them.
struct HistoryReading {
    bool exists = true;                // false: the file is not there yet (nothing was made)
    std::vector<Operation> operations; // newest first
    QString failure;                   // the sentence when it could not be read
};

// Reads the operations the filter lets through, with a store of its own on the
// calling thread: meant for a worker thread, as a big history takes a while.
// An operation begun by a process of this bench that is gone shows as
// interrupted. A history that does not exist is not made.
HistoryReading ReadHistory(const QString& path, const OperationFilter& filter);

} // namespace kestrel
