#pragma once

#include <string_view>

namespace kestrel::fuzz {

// Feeds the bytes to the run tracker as a run: the first byte chooses how the
// run began (started, started after a finished run was still shown, or
// followed), the lines that follow are replies, each behind one byte that
// says how long after the one before it came. Checks what the tracker
// promises: the bar within 0 to 100 and never back within a phase; finished
// only when this run's replies showed the end of both phases; an end within
// the stall limit once the replies stop changing.
void CheckRunTracker(std::string_view bytes);

// Feeds the same lines to the power-cycle rule as hardware versions seen at
// those times, the first as the version before the run. Checks: the wait ends
// exactly at its deadline, waits never exceed a poll, and only the version it
// had before counts as unchanged.
void CheckPowerCycleRule(std::string_view bytes);

} // namespace kestrel::fuzz
