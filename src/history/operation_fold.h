#pragma once

#include "history_filter.h"
#include "history_operation.h"

#include <functional>
#include <map>
#include <string>
#include <vector>

namespace kestrel {

// Whether the process that wrote a begin event is surely gone (its pid and
// start identity no longer name a running process of this bench).
using ProcessGone = std::function<bool(const HistoryEvent& begin)>;

// Folds events, fed newest first, into operations, newest first: an end is
// held until its begin comes. An operation whose begin never comes (it lies
// outside what was read) is left out.
class OperationFold {
public:
    OperationFold(OperationFilter filter, ProcessGone gone);

    // Takes the next older event; false once the filter's last N are found,
    // when no older event can change the result.
    bool Take(HistoryEvent event);

    // The operations found, newest first.
    const std::vector<Operation>& Operations() const { return m_operations; }

private:
    OperationFilter m_filter;
    ProcessGone m_gone;
    std::map<std::string, HistoryEvent> m_ends; // by operation id
    std::vector<Operation> m_operations;
};

} // namespace kestrel
