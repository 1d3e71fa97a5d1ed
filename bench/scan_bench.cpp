// Finding the cameras: kestrel-flash searching 127.0.0.0/24 (254 addresses)
// and, with --large, 127.0.0.0/16 (65,536 addresses), ten simulated cameras
// among them each time, run as a program. The /24 is held to 2 s, the /16 to
// 3 s; both to 40 MB and 4 threads; the ten must all be found.

#include "program_run.h"
#include "sim_thread.h"

#include <benchmark/benchmark.h>

#include <QHostAddress>

#include <algorithm>
#include <memory>
#include <string>
#include <vector>

namespace kestrel::bench {

namespace {

constexpr int kCameras = 10;
constexpr double kMaxRssMb = 40.0;
constexpr int kMaxThreads = 4;

// Ten simulated cameras on one port at the given addresses, each in a thread
// of this process.
struct Cameras {
    explicit Cameras(const std::vector<QString>& addresses) {
        for (const QString& address : addresses) {
            sim::SimOptions options;
            options.quiet = true;
            cameras.push_back(std::make_unique<sim::SimThread>(options));
            if (!cameras.back()->Start(QHostAddress(address), port)) {
                port = 0;
                return;
            }
            port = cameras.back()->Port();
        }
    }
    std::vector<std::unique_ptr<sim::SimThread>> cameras;
    quint16 port = 0;
};

// kestrel-flash searching range for the cameras, held to maxSeconds.
void Search(benchmark::State& state, const std::vector<QString>& at, const std::string& range,
            bool large, double maxSeconds) {
    const Cameras cameras(at);
    if (cameras.port == 0) {
        state.SkipWithError("the simulated cameras did not start");
        return;
    }
    std::vector<std::string> command{KESTREL_FLASH_PROGRAM,        "scan",       range, "--port",
                                     std::to_string(cameras.port), "--addresses"};
    if (large)
        command.push_back("--large");
    double seconds = 0;
    double rss = 0;
    int threads = 0;
    for (auto _ : state) {
        const ProgramRun run = RunProgram(command, true);
        const auto found = std::count(run.out.begin(), run.out.end(), '\n');
        if (!run.ok || found != kCameras) {
            state.SkipWithError("the search did not find the ten cameras");
            return;
        }
        state.SetIterationTime(run.seconds);
        seconds = std::max(seconds, run.seconds);
        rss = std::max(rss, run.maxRssMb);
        threads = std::max(threads, run.maxThreads);
    }
    state.counters["slowest_s"] = seconds;
    state.counters["max_rss_MB"] = rss;
    state.counters["max_threads"] = threads;
    if (seconds >= maxSeconds || rss >= kMaxRssMb || threads > kMaxThreads) {
        // The figures are told with the error, which hides the counters.
        static std::string error;
        error = "over the bounds: " + std::to_string(seconds) + " s, " + std::to_string(rss) +
                " MB, " + std::to_string(threads) + " threads";
        state.SkipWithError(error.c_str());
    }
}

// Ten cameras on 127.0.0.200 to .209; every other address of the /24 has
// nothing on that port.
void BM_ScanTwoHundredFiftyFour(benchmark::State& state) {
    std::vector<QString> at;
    for (int i = 0; i < kCameras; ++i)
        at.push_back(QStringLiteral("127.0.0.%1").arg(200 + i));
    Search(state, at, "127.0.0.0/24", false, 2.0);
}
BENCHMARK(BM_ScanTwoHundredFiftyFour)
    ->UseManualTime()
    ->Iterations(5)
    ->Unit(benchmark::kMillisecond);

// Ten cameras spread over the /16, the last one near its end.
void BM_ScanSixtyFiveThousand(benchmark::State& state) {
    std::vector<QString> at;
    for (int i = 0; i < kCameras; ++i)
        at.push_back(QStringLiteral("127.0.%1.%2").arg(i * 28).arg(10 + i));
    Search(state, at, "127.0.0.0/16", true, 3.0);
}
BENCHMARK(BM_ScanSixtyFiveThousand)->UseManualTime()->Iterations(3)->Unit(benchmark::kMillisecond);

} // namespace

} // namespace kestrel::bench
