// The camera operations: how long the Connect click takes to fill the
// information pane compared with a bare blocking socket doing the same
// exchanges, and how little CPU the tool uses while it follows a programming
// run.

#include "camera.h"
#include "camera_waits.h"
#include "blocking_client.h"
#include "paired_runs.h"
#include "quiet_surface.h"
#include "run_texts.h"
#include "sim_thread.h"
#include "thread_cpu.h"
#include "tool_session.h"

#include <benchmark/benchmark.h>

#include <algorithm>
#include <array>
#include <chrono>

namespace kestrel::bench {

namespace {

using Clock = std::chrono::steady_clock;

double MsSince(Clock::time_point start) {
    return std::chrono::duration<double, std::milli>(Clock::now() - start).count();
}

// What the tool sends after the greeting when it connects to an idle camera
// with a colour sensor: the update status probe, then the information query.
constexpr std::array<const char*, 9> kConnectCommands{
    "CAM_FIRMWAREUPDATE 1", "CAM_GETSERIALNUMBER",    "CAM_GETCAMERATYPE",
    "CAM_GETSENSORCOLOR",   "CAM_GETSENSORBAYERTYPE", "REG_READ 6E80",
    "REG_READ 6F80",        "REG_READ 1F80",          "GETSERVER_VERSION"};
constexpr std::size_t kSerialAt = 1;

QList<QByteArray> ConnectCommands() {
    QList<QByteArray> commands;
    for (const char* command : kConnectCommands)
        commands << QByteArray(command);
    return commands;
}

bool InfoFilled(const QString& info, const sim::SimOptions& options) {
    return info.contains(QString::fromLatin1(options.serial)) &&
           info.contains(QString::fromLatin1(options.serverVersion));
}

// The same conversation by a bare blocking socket: connect, greeting, then
// the commands in order. False when a reply is missing or not the camera's.
bool BlockingConnect(BlockingClient& client, quint16 port, const sim::SimOptions& options) {
    if (!client.Connect(port) || !client.ReadLine())
        return false;
    for (std::size_t i = 0; i < kConnectCommands.size(); ++i) {
        const std::optional<std::string> reply = client.Exchange(kConnectCommands[i]);
        if (!reply || reply->empty())
            return false;
        if (i == kSerialAt && *reply != "CAM_GETSERIALNUMBER " + options.serial.toStdString())
            return false;
    }
    return true;
}

void BM_ConnectToInformation(benchmark::State& state) {
    sim::SimOptions options;
    options.quiet = true;
    sim::SimThread camera(options);
    if (!camera.Start()) {
        state.SkipWithError("the simulated camera did not start");
        return;
    }
    QuietSurface surface;
    LinkSettings link;
    link.cameraPort = camera.Port();
    ToolSession session(surface, surface, link);

    // A first connect shows that the blocking client below asks exactly what
    // the tool asks.
    ClickConnect(session, surface.address);
    if (!InfoFilled(session.TheCamera().Info(), options) ||
        camera.ReceivedLines() != ConnectCommands()) {
        state.SkipWithError("the first connect did not ask the expected commands");
        return;
    }
    ClickConnect(session, surface.address); // disconnect

    const auto runTool = [&] {
        const Clock::time_point start = Clock::now();
        ClickConnect(session, surface.address);
        const double ms = MsSince(start);
        const bool ok =
            session.TheCamera().Connected() && InfoFilled(session.TheCamera().Info(), options);
        ClickConnect(session, surface.address); // disconnect, not timed
        return std::pair{ms, ok ? 0 : 1};
    };
    const auto runBlocking = [&] {
        BlockingClient client;
        const Clock::time_point start = Clock::now();
        const bool ok = BlockingConnect(client, camera.Port(), options);
        const double ms = MsSince(start);
        client.Exchange("CLOSE");
        return std::pair{ms, ok ? 0 : 1};
    };

    const bench::PairedTimes times = bench::RunPaired(state, runTool, runBlocking);
    if (!bench::ReportPaired(state, times, "a connect did not fill the information"))
        return;
    const double runs = static_cast<double>(state.iterations());
    // The greeting and one reply per command.
    const double lines = 1.0 + static_cast<double>(kConnectCommands.size());
    state.counters["extra_us_per_line"] =
        1000.0 * (times.toolMs - times.blockingMs) / (runs * lines);
}
BENCHMARK(BM_ConnectToInformation)->UseManualTime()->Iterations(20)->Unit(benchmark::kMillisecond);

// A whole programming run of about 30 s on the simulated camera, followed
// with the normal pauses; the tool's thread should mostly sleep.
void BM_FollowProgrammingRun(benchmark::State& state) {
    sim::SimOptions options;
    options.quiet = true;
    options.eraseMs = 10000;
    options.programMs = 20000;
    options.lingerMs = 500;
    sim::SimThread camera(options);
    if (!camera.Start()) {
        state.SkipWithError("the simulated camera did not start");
        return;
    }
    QuietSurface surface;
    LinkSettings link;
    link.cameraPort = camera.Port();
    ToolSession session(surface, surface, link, RunSettings{});
    ClickConnect(session, surface.address);
    if (!session.TheCamera().Connected() || session.TheCamera().UpdateRunning()) {
        state.SkipWithError("the tool did not connect to an idle camera");
        return;
    }
    const qsizetype linesBefore = camera.ReceivedLines().size();

    CpuSample sample;
    for (auto _ : state) {
        CpuShare share;
        QSignalSpy ended(&session.TheCamera(), &Camera::runEnded);
        session.StartUpdate();
        ended.wait(kCameraMs);
        sample = share.Elapsed();
        state.SetIterationTime(sample.wallMs / 1000.0);
    }
    if (session.TheCamera().UpdateRunning() || !session.Log().Text().endsWith(texts::kPowerCycle) ||
        surface.progress != 100 || surface.messageBoxes != 0) {
        state.SkipWithError("the run did not end as finished");
        return;
    }
    const QList<QByteArray> lines = camera.ReceivedLines();
    const auto polls = static_cast<double>(
        std::count(lines.cbegin() + linesBefore, lines.cend(), "CAM_FIRMWAREUPDATE 1"));
    state.counters["wall_ms"] = sample.wallMs;
    state.counters["cpu_ms"] = sample.cpuMs;
    state.counters["user_ms"] = sample.userMs;
    state.counters["system_ms"] = sample.systemMs;
    state.counters["cpu_percent"] = sample.Percent();
    state.counters["polls"] = polls;
    state.counters["cpu_us_per_poll"] = polls > 0 ? 1000.0 * sample.cpuMs / polls : 0.0;
}
BENCHMARK(BM_FollowProgrammingRun)->UseManualTime()->Iterations(1)->Unit(benchmark::kMillisecond);

} // namespace

} // namespace kestrel::bench
