#pragma once

namespace kestrel {

// What the tool's logic asks of whoever operates it: waiting while the rest
// of the program stays alive. The window, the terminal program and tests
// each answer in their own way.
class OperatorInput {
public:
    virtual ~OperatorInput() = default;

    // Waits about ms milliseconds while the program stays alive (events are
    // served, nothing spins).
    virtual void Wait(int ms) = 0;
};

} // namespace kestrel
