// A bench of cameras: kestrel-flash updating ten simulated cameras at once,
// against one camera alone and against the ten one after another, with the
// same camera settings; then a hundred and a thousand at once, all served by
// one simulator process. Also the memory and the threads the program needs.

#include "program_run.h"

#include <benchmark/benchmark.h>

#include <algorithm>
#include <filesystem>
#include <string>
#include <vector>

namespace kestrel::bench {

namespace {

constexpr int kCameras = 10;

// A camera's run: shorter than a real one (20 s + 25 s), long enough that
// the tool's own pauses are not all there is.
const std::vector<std::string> kBenchCamera{"--erase-seconds",  "1", "--program-seconds", "2",
                                            "--linger-seconds", "1"};

// kestrel-flash updating these cameras at once, into its usual history or
// the one named.
ProgramRun UpdateAll(const std::vector<std::string>& addresses, const std::string& history = {}) {
    std::vector<std::string> arguments{KESTREL_FLASH_PROGRAM, "update", "--plain"};
    if (!history.empty())
        arguments.insert(arguments.end(), {"--history", history});
    arguments.insert(arguments.end(), addresses.begin(), addresses.end());
    return RunProgram(arguments, !history.empty());
}

// kestrel-flash updating one fresh camera, then count fresh cameras at once
// (one simulator process each time: a camera that has just run lingers on
// its final figures); false, with the benchmark's error set, when either did
// not succeed.
bool AloneThenAtOnce(benchmark::State& state, int count, ProgramRun& alone, ProgramRun& fleet) {
    {
        const SimProcess single(KESTREL_SIM_PROGRAM, 1, kBenchCamera);
        if (single.firstPort == 0) {
            state.SkipWithError("the simulated camera did not start");
            return false;
        }
        alone = UpdateAll(single.Addresses());
    }
    const SimProcess cameras(KESTREL_SIM_PROGRAM, count, kBenchCamera);
    if (cameras.firstPort == 0) {
        state.SkipWithError("the simulated cameras did not start");
        return false;
    }
    fleet = UpdateAll(cameras.Addresses());
    if (!alone.ok || !fleet.ok) {
        state.SkipWithError("an update failed");
        return false;
    }
    return true;
}

void BM_TenCamerasAtOnce(benchmark::State& state) {
    double one = 0;
    double atOnce = 0;
    double inTurn = 0;
    double rssOne = 0;
    double rssTen = 0;
    double cpuTen = 0;
    for (auto _ : state) {
        ProgramRun alone;
        ProgramRun ten;
        if (!AloneThenAtOnce(state, kCameras, alone, ten))
            return;
        const SimProcess turn(KESTREL_SIM_PROGRAM, kCameras, kBenchCamera);
        if (turn.firstPort == 0) {
            state.SkipWithError("the simulated cameras did not start");
            return;
        }
        double turns = 0;
        for (const std::string& address : turn.Addresses()) {
            const ProgramRun run = UpdateAll({address});
            if (!run.ok) {
                state.SkipWithError("an update failed");
                return;
            }
            turns += run.seconds;
        }
        state.SetIterationTime(ten.seconds);
        one += alone.seconds;
        atOnce += ten.seconds;
        inTurn += turns;
        rssOne = std::max(rssOne, alone.maxRssMb);
        rssTen = std::max(rssTen, ten.maxRssMb);
        cpuTen += ten.cpuSeconds;
    }
    const double runs = static_cast<double>(state.iterations());
    state.counters["one_s"] = one / runs;
    state.counters["ten_at_once_s"] = atOnce / runs;
    state.counters["ten_in_turn_s"] = inTurn / runs;
    state.counters["at_once_vs_one"] = atOnce / one;
    state.counters["max_rss_one_MB"] = rssOne;
    state.counters["max_rss_ten_MB"] = rssTen;
    state.counters["cpu_ten_s"] = cpuTen / runs;
}
BENCHMARK(BM_TenCamerasAtOnce)->UseManualTime()->Iterations(3)->Unit(benchmark::kSecond);

// Many cameras at once against one alone: held to at most maxRatio times the
// one camera's time, maxRssMb of memory and maxThreads threads.
void ManyAtOnce(benchmark::State& state, int count, double maxRatio, double maxRssMb,
                int maxThreads) {
    double one = 0;
    double atOnce = 0;
    double rssOne = 0;
    double rssMany = 0;
    double cpuMany = 0;
    int threads = 0;
    for (auto _ : state) {
        ProgramRun alone;
        ProgramRun many;
        if (!AloneThenAtOnce(state, count, alone, many))
            return;
        state.SetIterationTime(many.seconds);
        one += alone.seconds;
        atOnce += many.seconds;
        rssOne = std::max(rssOne, alone.maxRssMb);
        rssMany = std::max(rssMany, many.maxRssMb);
        cpuMany += many.cpuSeconds;
        threads = std::max(threads, many.maxThreads);
    }
    const double runs = static_cast<double>(state.iterations());
    const double ratio = atOnce / one;
    state.counters["one_s"] = one / runs;
    state.counters["at_once_s"] = atOnce / runs;
    state.counters["at_once_vs_one"] = ratio;
    state.counters["max_rss_one_MB"] = rssOne;
    state.counters["max_rss_MB"] = rssMany;
    state.counters["cpu_s"] = cpuMany / runs;
    state.counters["max_threads"] = threads;
    if (ratio > maxRatio || rssMany > maxRssMb || threads > maxThreads) {
        // The figures are told with the error, which hides the counters.
        static std::string error;
        error = "over the bounds: " + std::to_string(ratio) + " times one camera's " +
                std::to_string(one / runs) + " s, " + std::to_string(rssMany) + " MB, " +
                std::to_string(threads) + " threads";
        state.SkipWithError(error.c_str());
    }
}

// A whole production bench: a hundred cameras at once, within 1.1 times one
// camera's time.
void BM_HundredCamerasAtOnce(benchmark::State& state) {
    ManyAtOnce(state, 100, 1.1, 64, 4);
}
BENCHMARK(BM_HundredCamerasAtOnce)->UseManualTime()->Iterations(3)->Unit(benchmark::kSecond);

// A thousand cameras at once from one thread: within 1.2 times one camera's
// time, 64 MB and 4 threads.
void BM_ThousandCamerasAtOnce(benchmark::State& state) {
    ManyAtOnce(state, 1000, 1.2, 64, 4);
}
BENCHMARK(BM_ThousandCamerasAtOnce)->UseManualTime()->Iterations(3)->Unit(benchmark::kSecond);

// A hundred cameras at once writing the history, against the same without it:
// the history named lies in a folder that is not there, so no event is ever
// written (the command ends 1 for that alone, every camera ok). Each run on
// fresh cameras, the two kinds taking turns. Then the history written holds
// the hundred operations, each ended ok.
void BM_HundredCamerasWithHistory(benchmark::State& state) {
    constexpr int kHundred = 100;
    const std::filesystem::path folder = TemporaryFolder();
    double with = 0;
    double without = 0;
    double cpuWith = 0;
    double cpuWithout = 0;
    int run = 0;
    std::ptrdiff_t kept100 = 0;
    for (auto _ : state) {
        ProgramRun kept;
        ProgramRun none;
        const std::string history = (folder / ("with-" + std::to_string(++run))).string();
        for (const bool writing : {run % 2 == 1, run % 2 == 0}) {
            const SimProcess cameras(KESTREL_SIM_PROGRAM, kHundred, kBenchCamera);
            if (cameras.firstPort == 0) {
                state.SkipWithError("the simulated cameras did not start");
                return;
            }
            (writing ? kept : none) = UpdateAll(
                cameras.Addresses(), writing ? history : (folder / "missing" / "h").string());
        }
        const std::string allOk = "All " + std::to_string(kHundred) + " succeeded.";
        if (!kept.ok || none.out.find(allOk) == std::string::npos) {
            state.SkipWithError("an update failed");
            return;
        }
        const ProgramRun listed = RunProgram(
            {KESTREL_FLASH_PROGRAM, "history", "--csv", "--result", "ok", "--history", history},
            true);
        const auto lines = std::count(listed.out.begin(), listed.out.end(), '\n');
        if (!listed.ok || lines != kHundred + 1) { // the heading and the hundred
            state.SkipWithError("the history does not hold the hundred operations");
            return;
        }
        kept100 = lines - 1;
        state.SetIterationTime(kept.seconds);
        with += kept.seconds;
        without += none.seconds;
        cpuWith += kept.cpuSeconds;
        cpuWithout += none.cpuSeconds;
    }
    const double runs = static_cast<double>(state.iterations());
    state.counters["with_history_s"] = with / runs;
    state.counters["without_s"] = without / runs;
    state.counters["with_vs_without"] = with / without;
    state.counters["cpu_with_s"] = cpuWith / runs;
    state.counters["cpu_without_s"] = cpuWithout / runs;
    state.counters["operations_kept"] = static_cast<double>(kept100); // of the last run
}
BENCHMARK(BM_HundredCamerasWithHistory)->UseManualTime()->Iterations(3)->Unit(benchmark::kSecond);

} // namespace

} // namespace kestrel::bench
