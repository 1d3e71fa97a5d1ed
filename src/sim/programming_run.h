#pragma once

#include "sim_options.h"

#include <QByteArray>
#include <QString>

#include <optional>

namespace kestrel::sim {

// Where a programming run stands. Finished and Aborted end the run.
enum class RunPhase { Starting, Erasing, Programming, Lingering, Stalled, Finished, Aborted };

// The timing and the faults of one run.
struct RunPlan {
    int startDelayMs = 0;
    int eraseTotal = 155;
    int eraseMs = 20000;
    int programTotal = 20000;
    int programMs = 25000;
    int lingerMs = 3000;
    std::optional<int> stallAtPercent;
    std::optional<int> abortAtPercent;

    static RunPlan From(const SimOptions& options);
};

struct RunState {
    RunPhase phase = RunPhase::Starting;
    int eraseDone = 0;
    int programDone = 0;
    qint64 nextChangeMs = -1; // run time of the next phase change; -1: none comes
};

// Where a run stands elapsedMs after it was started. The figures rise in
// proportion to the time spent in their phase, rounded down.
RunState RunStateAt(const RunPlan& plan, qint64 elapsedMs);

// The answer to CAM_FIRMWAREUPDATE 1 for a run in this state: "0 0 0 0"
// while it has not begun erasing or once it is over, otherwise
// "1 <eraseTotal> <eraseDone> <programTotal> <programDone>".
QByteArray StatusReply(const RunPlan& plan, const RunState& state);

// One line for the operator about the phase the run has just entered.
QString DescribePhase(const RunPlan& plan, const RunState& state);

} // namespace kestrel::sim
