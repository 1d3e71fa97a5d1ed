#pragma once

#include "reply_reading.h"
#include "run_step.h"
#include "tracker_limits.h"

#include <cstdint>
#include <string>
#include <string_view>

// The rules that decide what a programming run does next, as the tool follows
// it: fed each status reply with the time of a monotonic clock in
// milliseconds, it answers what to show and whether the run goes on, and how
// it ended. Plain C++ on byte strings, no Qt and no sockets, so that any
// sequence of replies and times can be fed to it.
namespace kestrel {

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

    // The phase and figures as the status line shows them now.
    RunStep Current() const { return Step(RunStep::Next::Poll, RunEnd::None); }
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
