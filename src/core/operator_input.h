#pragma once

#include <QString>

namespace kestrel {

// What the tool's logic asks of whoever operates it: the camera address, and
// waiting while the rest of the program stays alive. The window answers from
// its controls; the terminal program from its command line; tests from a
// script.
class OperatorInput {
public:
    virtual ~OperatorInput() = default;

    // The camera address field as dotted decimal; empty fields read 0, so an
    // empty field reads "0.0.0.0".
    virtual QString ReadCameraAddress() = 0;

    // Waits about ms milliseconds while the program stays alive (events are
    // served, nothing spins).
    virtual void Wait(int ms) = 0;
};

} // namespace kestrel
