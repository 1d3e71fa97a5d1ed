// A bench of cameras: kestrel-flash updating ten simulated cameras at once,
// against one camera alone and against the ten one after another, with the
// same camera settings; then a hundred at once. Also the memory the program
// needs.

#include "sim_thread.h"

#include <benchmark/benchmark.h>

#include <QStringList>

#include <algorithm>
#include <chrono>
#include <fcntl.h>
#include <memory>
#include <spawn.h>
#include <string>
#include <sys/resource.h>
#include <sys/wait.h>
#include <vector>

extern char** environ;

namespace kestrel::bench {

namespace {

using Clock = std::chrono::steady_clock;

constexpr int kCameras = 10;

// A camera's run: shorter than a real one (20 s + 25 s), long enough that
// the tool's own pauses are not all there is.
sim::SimOptions BenchCamera() {
    sim::SimOptions options;
    options.quiet = true;
    options.eraseMs = 1000;
    options.programMs = 2000;
    options.lingerMs = 1000;
    return options;
}

struct ProgramRun {
    bool ok = false;
    double seconds = 0;
    double cpuSeconds = 0; // user and system time of the program
    double maxRssMb = 0;
};

// Runs kestrel-flash with these arguments, its output thrown away, and
// returns its time and the most memory it held.
ProgramRun RunFlash(const std::vector<std::string>& arguments) {
    std::vector<std::string> all{KESTREL_FLASH_PROGRAM};
    all.insert(all.end(), arguments.begin(), arguments.end());
    std::vector<char*> argv;
    for (std::string& argument : all)
        argv.push_back(argument.data());
    argv.push_back(nullptr);

    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 1, "/dev/null", O_WRONLY, 0);
    const auto start = Clock::now();
    pid_t pid = 0;
    ProgramRun run;
    const int spawned = posix_spawn(&pid, argv[0], &actions, nullptr, argv.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    if (spawned != 0)
        return run;
    int status = 0;
    rusage usage{};
    if (wait4(pid, &status, 0, &usage) != pid)
        return run;
    run.seconds = std::chrono::duration<double>(Clock::now() - start).count();
    run.maxRssMb = static_cast<double>(usage.ru_maxrss) / 1024.0; // kilobytes on Linux
    const auto toSeconds = [](const timeval& time) {
        return static_cast<double>(time.tv_sec) + static_cast<double>(time.tv_usec) / 1e6;
    };
    run.cpuSeconds = toSeconds(usage.ru_utime) + toSeconds(usage.ru_stime);
    run.ok = WIFEXITED(status) && WEXITSTATUS(status) == 0;
    return run;
}

// Fresh simulated cameras for each measurement: a camera that has just run
// lingers on its final figures.
std::vector<std::unique_ptr<sim::SimThread>> StartCameras(int count) {
    std::vector<std::unique_ptr<sim::SimThread>> cameras;
    for (int i = 0; i < count; ++i) {
        cameras.push_back(std::make_unique<sim::SimThread>(BenchCamera()));
        if (!cameras.back()->Start())
            return {};
    }
    return cameras;
}

std::string Address(const sim::SimThread& camera) {
    return "127.0.0.1:" + std::to_string(camera.Port());
}

// kestrel-flash updating these cameras at once.
ProgramRun UpdateAll(const std::vector<std::unique_ptr<sim::SimThread>>& cameras) {
    std::vector<std::string> arguments{"update", "--plain"};
    for (const auto& camera : cameras)
        arguments.push_back(Address(*camera));
    return RunFlash(arguments);
}

// kestrel-flash updating one fresh camera, then count fresh cameras at
// once; false, with the benchmark's error set, when either did not succeed.
bool AloneThenAtOnce(benchmark::State& state, int count, ProgramRun& alone, ProgramRun& fleet) {
    auto single = StartCameras(1);
    auto cameras = StartCameras(count);
    if (single.empty() || cameras.empty()) {
        state.SkipWithError("the simulated cameras did not start");
        return false;
    }
    alone = UpdateAll(single);
    fleet = UpdateAll(cameras);
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
        auto turn = StartCameras(kCameras);
        if (turn.empty()) {
            state.SkipWithError("the simulated cameras did not start");
            return;
        }
        double turns = 0;
        for (const auto& camera : turn) {
            const ProgramRun run = RunFlash({"update", "--plain", Address(*camera)});
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

// A whole production bench: a hundred cameras at once against one alone, and
// the memory the program needs for the hundred.
void BM_HundredCamerasAtOnce(benchmark::State& state) {
    constexpr int kBench = 100;
    double one = 0;
    double atOnce = 0;
    double rssOne = 0;
    double rssHundred = 0;
    for (auto _ : state) {
        ProgramRun alone;
        ProgramRun hundred;
        if (!AloneThenAtOnce(state, kBench, alone, hundred))
            return;
        state.SetIterationTime(hundred.seconds);
        one += alone.seconds;
        atOnce += hundred.seconds;
        rssOne = std::max(rssOne, alone.maxRssMb);
        rssHundred = std::max(rssHundred, hundred.maxRssMb);
    }
    state.counters["at_once_vs_one"] = atOnce / one;
    state.counters["max_rss_one_MB"] = rssOne;
    state.counters["max_rss_hundred_MB"] = rssHundred;
}
BENCHMARK(BM_HundredCamerasAtOnce)->UseManualTime()->Iterations(3)->Unit(benchmark::kSecond);

} // namespace

} // namespace kestrel::bench
