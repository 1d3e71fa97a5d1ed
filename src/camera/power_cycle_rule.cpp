#include "power_cycle_rule.h"

#include "hw_version_rule.h"

#include <algorithm>

namespace kestrel {

PowerCycleRule::PowerCycleRule(std::string_view hardwareBefore, std::int64_t nowMs,
                               int timeoutMs, int pollMs)
    : m_before(hardwareBefore), m_deadline(nowMs + timeoutMs), m_timeoutMs(timeoutMs),
      m_pollMs(pollMs) {}

int PowerCycleRule::WaitMs(std::int64_t nowMs) const {
    const std::int64_t left = std::max<std::int64_t>(m_deadline - nowMs, 0);
    return static_cast<int>(std::min<std::int64_t>(left, m_pollMs));
}

PowerCycleStep PowerCycleRule::StillThere(std::int64_t nowMs) const {
    if (nowMs >= m_deadline)
        return {PowerCycleEnd::NotPowerCycled, 0};
    return {PowerCycleEnd::None, WaitMs(nowMs)};
}

bool PowerCycleRule::KeepTrying(std::int64_t nowMs) const {
    return nowMs < m_deadline;
}

PowerCycleStep PowerCycleRule::Reached(bool identified, std::string_view hardwareAfter,
                                       std::int64_t nowMs) const {
    // A camera that does not say who it is yet is asked again a little later.
    if (!identified)
        return {PowerCycleEnd::None, WaitMs(nowMs)};
    return {Verdict(hardwareAfter), 0};
}

PowerCycleEnd PowerCycleRule::Verdict(std::string_view hardwareAfter) const {
    // What is not a version is not another version: it confirms nothing.
    switch (CompareHwVersions(m_before, hardwareAfter)) {
    case HwVersionChange::Unread:
        return PowerCycleEnd::VersionUnread;
    case HwVersionChange::Unknown:
        return PowerCycleEnd::VersionUnknown;
    case HwVersionChange::Unchanged:
        return PowerCycleEnd::VersionUnchanged;
    case HwVersionChange::Changed:
        break;
    }
    return PowerCycleEnd::VersionChanged;
}

} // namespace kestrel
