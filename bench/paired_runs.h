#pragma once

#include <benchmark/benchmark.h>

#include <utility>

namespace kestrel::bench {

// The summed times of the tool and of the blocking client over all
// iterations, and how many of their runs went wrong.
struct PairedTimes {
    double toolMs = 0;
    double blockingMs = 0;
    int faults = 0;
};

// Runs the tool and the blocking client once per iteration, alternating which
// goes first so that neither always meets a warm or a cold simulator. Each
// run returns its milliseconds and its number of faults; the iteration time
// is the tool's.
template <typename ToolRun, typename BlockingRun>
PairedTimes RunPaired(benchmark::State& state, ToolRun runTool, BlockingRun runBlocking) {
    PairedTimes times;
    bool toolFirst = true;
    for (auto _ : state) {
        std::pair<double, int> tool;
        std::pair<double, int> blocking;
        if (toolFirst) {
            tool = runTool();
            blocking = runBlocking();
        } else {
            blocking = runBlocking();
            tool = runTool();
        }
        toolFirst = !toolFirst;
        state.SetIterationTime(tool.first / 1000.0);
        times.toolMs += tool.first;
        times.blockingMs += blocking.first;
        times.faults += tool.second + blocking.second;
    }
    return times;
}

// Reports the mean times of one run and their ratio as counters. False, with
// the benchmark marked as failed by `fault`, when any run went wrong.
inline bool ReportPaired(benchmark::State& state, const PairedTimes& times, const char* fault) {
    if (times.faults > 0) {
        state.SkipWithError(fault);
        return false;
    }
    const double runs = static_cast<double>(state.iterations());
    state.counters["tool_ms"] = times.toolMs / runs;
    state.counters["blocking_ms"] = times.blockingMs / runs;
    state.counters["ratio"] = times.toolMs / times.blockingMs;
    return true;
}

} // namespace kestrel::bench
