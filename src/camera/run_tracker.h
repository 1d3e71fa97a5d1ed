#pragma once

#include "reply_reading.h"

#include <cstdint>
#include <string>
#include <string_view>

// The rules that decide what a programming run does next, as the tool follows
// it: fed each status reply with the time of a monotonic clock in
// milliseconds, it answers what to show and whether the run goes on, and how
// it ended. Plain C++ on byte strings, no Qt and no sockets, so that any
// sequence of replies and times can be fed to it.
namespace kestrel {

// What the rules answer for one status reply.
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

// How long the rules wait for the camera, and the figures they assume.
namespace runrules {
// Totals assumed before the first reply that carries one; a program total
// that reads 0 is taken as this one too.
inline constexpr std::int32_t kStartEraseTotal = 155;
inline constexpr std::int32_t kStartProgramTotal = 20000;
// A phase is followed while done < total - kPhaseMargin.
inline constexpr std::int32_t kPhaseMargin = 1;
// The camera counts a phase as done one step before the tool does: a run that
// reported programming at done >= total - kEndMargin has reached its end.
inline constexpr std::int32_t kEndMargin = 2;
// Replies unchanged this long: the run is stuck.
inline constexpr int kStallLimitMs = 120000;
// How long a lost connection is tried again.
inline constexpr int kReconnectWindowMs = 60000;
// How long the tool waits after the start command for the camera's first
// figures: the camera finds and reads the file on its USB stick first, which
// may take a long time. A camera still idle then may yet begin.
inline constexpr int kStartWaitMs = kReconnectWindowMs;
// How long the tool waits, before the start command, for a camera that still
// shows the final figures of a finished run to report idle.
inline constexpr int kSettleLimitMs = 15000;
} // namespace runrules

struct TrackerLimits {
    int startWaitMs = runrules::kStartWaitMs;
    int stallLimitMs = runrules::kStallLimitMs;
    int reconnectWindowMs = runrules::kReconnectWindowMs;
    int settleLimitMs = runrules::kSettleLimitMs;
};

class RunTracker {
public:
    explicit RunTracker(TrackerLimits limits = {});

    // Before the start command, with the reply of the probe that found no run
    // in progress. True when the camera still shows figures of a finished run:
    // the start waits until it reports idle.
    bool NeedsSettling(std::string_view probeReply, std::int64_t nowMs);
    // A status reply while waiting: true when the start command may go, the
    // camera idle or the wait long enough. Figures still shown then are not
    // taken for the new run's progress.
    bool Settled(std::string_view reply, std::int64_t nowMs);

    // The start command was sent.
    void Started(std::int64_t nowMs);
    // A run that was already in progress is followed.
    void Following(std::int64_t nowMs);

    // A phase begins: its figures start from the assumed total, the bar at 0.
    void BeginPhase(FlashPhase phase);

    // One status reply of the camera (the line without its line end).
    RunStep OnReply(std::string_view reply, std::int64_t nowMs);

    // The connection is down at nowMs: true while it is still worth trying to
    // restore it; the window opens with the first call after a loss.
    bool KeepTrying(std::int64_t nowMs);
    // The connection is back: the loss is over and the stall clock restarts.
    void Reconnected(std::int64_t nowMs);

    // The phase and figures as the status line shows them now; asking ends
    // nothing and moves nothing on.
    RunStep StepAsItStands() const { return Step(RunStep::Next::Poll, RunEnd::None); }
    int StartWaitMs() const { return m_limits.startWaitMs; }
    int StallLimitMs() const { return m_limits.stallLimitMs; }
    int ReconnectWindowMs() const { return m_limits.reconnectWindowMs; }
    int SettleLimitMs() const { return m_limits.settleLimitMs; }

private:
    RunStep Step(RunStep::Next next, RunEnd end) const;
    RunStep Idle(std::int64_t nowMs) const;
    bool Stale(std::string_view reply) const;

    TrackerLimits m_limits;
    FlashPhase m_phase = FlashPhase::Erase;
    UpdateStatus m_status;
    int m_position = 0;

    bool m_started = false;        // this run sent the start command
    bool m_progressSeen = false;   // the camera reported this run
    bool m_eraseEnded = false;     // the erase phase reached its end
    bool m_programEndSeen = false; // a reply of this run showed the programming's end
    std::string m_stale;           // figures shown before the start, not this run's
    std::int64_t m_settleSince = 0;
    std::int64_t m_startedAt = 0;

    std::string m_lastReply;
    bool m_anyReply = false;
    std::int64_t m_lastChange = 0;
    bool m_lost = false;
    std::int64_t m_lostSince = 0;
};

} // namespace kestrel
