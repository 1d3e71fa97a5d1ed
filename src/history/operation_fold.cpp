#include "operation_fold.h"

#include <utility>

namespace kestrel {

OperationFold::OperationFold(OperationFilter filter, ProcessGone gone)
    : m_filter(std::move(filter)), m_gone(std::move(gone)) {}

bool OperationFold::Take(HistoryEvent event) {
    if (m_filter.last > 0 && m_operations.size() >= static_cast<std::size_t>(m_filter.last))
        return false;
    if (event.phase == history::kEnd) {
        // The first end seen is the newest; a later duplicate is older.
        m_ends.try_emplace(event.operation, std::move(event));
        return true;
    }
    if (event.phase != history::kBegin)
        return true;
    Operation op;
    if (const auto end = m_ends.find(event.operation); end != m_ends.end()) {
        op.end = std::move(end->second);
        m_ends.erase(end);
        op.state = Operation::State::Ended;
    }
    op.begin = std::move(event);
    if (!op.end)
        op.state = m_gone(op.begin) ? Operation::State::Interrupted : Operation::State::Running;
    if (m_filter.Matches(op))
        m_operations.push_back(std::move(op));
    return m_filter.last <= 0 || m_operations.size() < static_cast<std::size_t>(m_filter.last);
}

} // namespace kestrel
