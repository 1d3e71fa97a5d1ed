#include "run_checks.h"

#include "hw_version_rule.h"
#include "power_cycle_rule.h"
#include "require.h"
#include "run_tracker.h"

#include <cstdint>
#include <string>
#include <vector>

namespace kestrel::fuzz {

namespace {

constexpr TrackerLimits kLimits{1000, 5000, 3000, 0};

struct Reply {
    std::int64_t ms;
    std::string text;
};

std::vector<Reply> Replies(std::string_view bytes) {
    std::vector<Reply> replies;
    std::int64_t ms = 0;
    while (!bytes.empty()) {
        const std::size_t end = bytes.find('\n');
        const std::string_view line = bytes.substr(0, end);
        if (!line.empty()) {
            ms += static_cast<unsigned char>(line[0]) * 16;
            replies.push_back({ms, std::string(line.substr(1))});
        }
        if (end == std::string_view::npos)
            break;
        bytes.remove_prefix(end + 1);
    }
    return replies;
}

// What the harness itself knows of the run, to hold the tracker's answers to.
class Watch {
public:
    explicit Watch(std::string before) : m_before(std::move(before)) {}

    void Fed(const std::string& reply) {
        if (IsIdleStatus(reply))
            return;
        if (!reply.empty() && reply != m_before)
            m_fresh = true;
        ParseUpdateStatus(reply, m_status);
        // The programming's end shown once this run has shown figures of its own.
        if (m_fresh && m_status.nProgramTotal > 0 &&
            !PhaseUnfinished(m_status.nProgramDone, m_status.nProgramTotal, 2))
            m_endShown = true;
    }
    void Check(const RunStep& step) {
        Require(step.position >= 0 && step.position <= 100);
        Require(step.position >= m_position);
        Require(!step.moved || step.position > m_position);
        m_position = step.position;
        if (step.next == RunStep::Next::PhaseDone) {
            Require(step.phase == FlashPhase::Erase);
            m_eraseEnded = true;
        }
        if (step.end == RunEnd::Finished)
            Require(m_eraseEnded && m_endShown);
        Require((step.next == RunStep::Next::Ended) == (step.end != RunEnd::None));
    }
    void NewPhase() { m_position = 0; }
    void Followed() { m_fresh = true; }

private:
    std::string m_before;
    UpdateStatus m_status;
    bool m_fresh = false;
    bool m_endShown = false;
    bool m_eraseEnded = false;
    int m_position = 0;
};

} // namespace

void CheckRunTracker(std::string_view bytes) {
    if (bytes.empty())
        return;
    const unsigned mode = static_cast<unsigned char>(bytes[0]) % 3;
    std::vector<Reply> replies = Replies(bytes.substr(1));

    RunTracker tracker(kLimits);
    std::string before;
    if (mode == 2) {
        tracker.Following(0);
    } else {
        // Mode 1: the first line is what the camera showed before the start.
        if (mode == 1 && !replies.empty()) {
            before = replies.front().text;
            replies.erase(replies.begin());
            if (tracker.NeedsSettling(before, 0))
                Require(tracker.Settled(before, 0)); // the wait is 0 ms long here
        }
        tracker.Started(0);
    }
    Watch watch(mode == 1 ? before : std::string());
    if (mode == 2)
        watch.Followed(); // the probe saw this run going on

    tracker.BeginPhase(FlashPhase::Erase);
    std::int64_t now = 0;
    std::string last;
    const auto feed = [&](const std::string& reply, std::int64_t ms) {
        watch.Fed(reply);
        const RunStep step = tracker.OnReply(reply, ms);
        watch.Check(step);
        if (step.next == RunStep::Next::PhaseDone) {
            tracker.BeginPhase(FlashPhase::Program);
            watch.NewPhase();
        }
        return step.next == RunStep::Next::Ended;
    };
    for (const Reply& reply : replies) {
        now = reply.ms;
        last = reply.text;
        if (feed(reply.text, now))
            return;
    }
    // The replies stop changing: the run ends within the stall limit.
    const int rounds = (kLimits.stallLimitMs + kLimits.startWaitMs) / 1000 + 3;
    for (int i = 0; i < rounds; ++i) {
        now += 1000;
        if (feed(last, now))
            return;
    }
    Require(false);
}

void CheckPowerCycleRule(std::string_view bytes) {
    const std::vector<Reply> replies = Replies(bytes);
    if (replies.empty())
        return;
    constexpr int kTimeoutMs = 2000;
    constexpr int kPollMs = 300;
    const std::string& before = replies.front().text;
    const PowerCycleRule rule(before, 0, kTimeoutMs, kPollMs);
    for (const Reply& reply : replies) {
        const PowerCycleStep there = rule.StillThere(reply.ms);
        const bool inTime = reply.ms < kTimeoutMs;
        Require((there.end == PowerCycleEnd::None) == inTime);
        Require(rule.KeepTrying(reply.ms) == inTime);
        Require(there.waitMs >= (inTime ? 1 : 0) && there.waitMs <= kPollMs);
        const PowerCycleStep back = rule.Reached(true, reply.text, reply.ms);
        Require(back.end == rule.Verdict(reply.text) && back.end != PowerCycleEnd::None);
        // What is not a version never counts as changed, nor as unchanged.
        const bool read = ReadHwVersion(reply.text).has_value();
        Require((back.end == PowerCycleEnd::VersionUnread) == !read);
        Require((back.end == PowerCycleEnd::VersionUnknown) ==
                (read && !ReadHwVersion(before).has_value()));
        Require((back.end == PowerCycleEnd::VersionUnchanged) ==
                SameHwVersion(before, reply.text));
        Require(rule.Reached(false, reply.text, reply.ms).end == PowerCycleEnd::None);
    }
}

} // namespace kestrel::fuzz
