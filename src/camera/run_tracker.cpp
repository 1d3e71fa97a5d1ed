#include "run_tracker.h"

namespace kestrel {

using namespace runrules;

namespace {

// A reply that carries the figures of a run, finished or not.
bool ShowsFigures(std::string_view reply) {
    if (IsIdleStatus(reply))
        return false;
    UpdateStatus status;
    ParseUpdateStatus(reply, status);
    return status.nEraseTotal > 0 || status.nProgramTotal > 0;
}

} // namespace

RunTracker::RunTracker(TrackerLimits limits) : m_limits(limits) {}

bool RunTracker::NeedsSettling(std::string_view probeReply, std::int64_t nowMs) {
    if (!ShowsFigures(probeReply))
        return false;
    m_stale.assign(probeReply);
    m_settleSince = nowMs;
    return true;
}

bool RunTracker::Settled(std::string_view reply, std::int64_t nowMs) {
    if (IsIdleStatus(reply)) {
        m_stale.clear(); // whatever comes now belongs to the next run
        return true;
    }
    if (ShowsFigures(reply))
        m_stale.assign(reply);
    return nowMs - m_settleSince >= m_limits.settleLimitMs;
}

void RunTracker::Started(std::int64_t nowMs) {
    m_started = true;
    m_startedAt = nowMs;
    m_lastChange = nowMs;
}

void RunTracker::Following(std::int64_t nowMs) {
    m_progressSeen = true; // the camera has reported this run already
    m_startedAt = nowMs;
    m_lastChange = nowMs;
}

void RunTracker::BeginPhase(FlashPhase phase) {
    m_phase = phase;
    m_position = 0;
    if (phase == FlashPhase::Erase) {
        m_status.nEraseTotal = kStartEraseTotal;
        m_status.nEraseDone = 0;
    } else {
        m_status.nProgramTotal = kStartProgramTotal;
        m_status.nProgramDone = 0;
    }
}

bool RunTracker::Stale(std::string_view reply) const {
    return !m_progressSeen && !m_stale.empty() && reply == m_stale;
}

RunStep RunTracker::Step(RunStep::Next next, RunEnd end) const {
    RunStep step;
    step.next = next;
    step.end = end;
    step.phase = m_phase;
    step.position = m_position;
    const bool erase = m_phase == FlashPhase::Erase;
    step.done = erase ? m_status.nEraseDone : m_status.nProgramDone;
    step.total = erase ? m_status.nEraseTotal : m_status.nProgramTotal;
    if (!erase && step.total == 0)
        step.total = kStartProgramTotal;
    return step;
}

RunStep RunTracker::Idle(std::int64_t nowMs) const {
    if (m_eraseEnded && m_programEndSeen)
        return Step(RunStep::Next::Ended, RunEnd::Finished);
    if (!m_progressSeen) {
        // A camera may take long to begin the run it was just told to start.
        if (m_started && nowMs - m_startedAt <= m_limits.startWaitMs) {
            RunStep step = Step(RunStep::Next::Poll, RunEnd::None);
            step.waiting = true;
            return step;
        }
        return Step(RunStep::Next::Ended, RunEnd::NeverStarted);
    }
    return Step(RunStep::Next::Ended, RunEnd::CameraStopped);
}

RunStep RunTracker::OnReply(std::string_view reply, std::int64_t nowMs) {
    const bool changed = !m_anyReply || reply != m_lastReply;
    if (changed) {
        m_anyReply = true;
        m_lastReply.assign(reply);
        m_lastChange = nowMs;
    }

    const bool figures = !IsIdleStatus(reply) && !Stale(reply);
    if (!figures) {
        const RunStep idle = Idle(nowMs);
        // The start wait is a limit of its own: an idle camera is no stall.
        if (idle.next == RunStep::Next::Ended || idle.waiting)
            return idle;
    } else {
        if (!reply.empty())
            m_progressSeen = true;
        ParseUpdateStatus(reply, m_status);
        if (m_status.nProgramTotal > 0 &&
            !PhaseUnfinished(m_status.nProgramDone, m_status.nProgramTotal, kEndMargin))
            m_programEndSeen = true;
    }

    if (!changed && nowMs - m_lastChange > m_limits.stallLimitMs)
        return Step(RunStep::Next::Ended, RunEnd::Stalled);

    // A program total of 0 is no total: the assumed one is shown. Neither it
    // nor a negative one moves the bar or ends the programming.
    const bool erase = m_phase == FlashPhase::Erase;
    const bool noTotal = !erase && m_status.nProgramTotal <= 0;
    const std::int32_t done = erase ? m_status.nEraseDone : m_status.nProgramDone;
    const std::int32_t total = erase ? m_status.nEraseTotal : m_status.nProgramTotal;
    const int position = noTotal ? 0 : ProgressPosition(done, total);
    const bool moved = position > m_position;
    if (moved)
        m_position = position;

    RunStep::Next next = RunStep::Next::Poll;
    RunEnd end = RunEnd::None;
    if (!noTotal && !PhaseUnfinished(done, total, kPhaseMargin)) {
        if (erase) {
            m_eraseEnded = true;
            next = RunStep::Next::PhaseDone;
        } else {
            m_programEndSeen = true;
            next = RunStep::Next::Ended;
            end = RunEnd::Finished;
        }
    }
    RunStep step = Step(next, end);
    step.moved = moved;
    step.figures = figures;
    return step;
}

bool RunTracker::KeepTrying(std::int64_t nowMs) {
    if (!m_lost) {
        m_lost = true;
        m_lostSince = nowMs;
    }
    return nowMs - m_lostSince <= m_limits.reconnectWindowMs;
}

void RunTracker::Reconnected(std::int64_t nowMs) {
    m_lost = false;
    m_lastChange = nowMs;
}

} // namespace kestrel
