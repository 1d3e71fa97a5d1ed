#include "process_identity.h"

#include "history_stamp.h"

namespace kestrel {

ProcessGone LocalProcessGone() {
    return [bench = BenchName()](const HistoryEvent& begin) {
        return begin.bench == bench && ProcessIsGone({begin.pid, begin.processStart});
    };
}

} // namespace kestrel
