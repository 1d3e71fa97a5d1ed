#include "history_read.h"

#include "history_store.h"
#include "process_identity.h"

#include <QFileInfo>

namespace kestrel {

HistoryReading ReadHistory(const QString& path, const OperationFilter& filter) {
    HistoryReading reading;
    if (!QFileInfo::exists(path)) {
        reading.exists = false;
        return reading;
    }
    HistoryStore store;
    if (store.Open(path, &reading.failure))
        store.ReadOperations(filter, LocalProcessGone(), &reading.operations, &reading.failure);
    return reading;
}

} // namespace kestrel
