#pragma once

#include <cstdint>

// What the rules of a programming run answer for one status reply. Plain C++.
namespace kestrel {

enum class FlashPhase { Erase, Program };

// How a run ended, as far as the camera's replies tell.
enum class RunEnd {
    None,           // it goes on
    Finished,       // the camera reported the end of both phases in this run
    CameraStopped,  // the camera reported no run any more before the end
    NeverStarted,   // the camera did not report the started run within the start wait
    Stalled,        // the camera's replies stopped changing
    ConnectionLost, // the connection could not be restored in time
};

// What one status reply means for the run.
struct RunStep {
    enum class Next {
        Poll,      // show the figures and ask again
        PhaseDone, // the erase phase is over: the programming phase comes next
        Ended,     // the run is over; end tells how
    };
    Next next = Next::Poll;
    RunEnd end = RunEnd::None;
    FlashPhase phase = FlashPhase::Erase;
    int position = 0;      // the bar's position in this phase, 0 to 100
    bool moved = false;    // the position rose with this reply: move the bar
    bool figures = false;  // the reply's figures were read (not idle, not stale)
    bool waiting = false;  // the camera has not begun the run it was told to start yet
    std::int32_t done = 0; // the status line's figures
    std::int32_t total = 0;
};

} // namespace kestrel
