#pragma once

#include "history_event.h"

#include <optional>
#include <string>

namespace kestrel {

// An operation of the history: its begin event and, once it came, its end.
struct Operation {
    enum class State {
        Ended,
        Running,     // no end yet and its process still at work
        Interrupted, // no end, and the process that began it is gone
    };
    HistoryEvent begin;
    std::optional<HistoryEvent> end;
    State state = State::Running;

    // The end's result code, "interrupted", or "running".
    std::string Result() const {
        if (end)
            return end->result;
        return state == State::Interrupted ? "interrupted" : "running";
    }

    // What the end knows of a field, else what the begin knew.
    const std::string& Latest(std::string HistoryEvent::*field) const {
        return end && !(*end.*field).empty() ? *end.*field : begin.*field;
    }
};

} // namespace kestrel
