// The camera link: how fast a command and its reply go through the tool's
// event-loop transport compared with a bare blocking socket, and how little
// CPU the tool burns while it waits for a camera that does not answer.

#include "blocking_client.h"
#include "camera.h"
#include "camera_waits.h"
#include "log_book.h"
#include "paired_runs.h"
#include "quiet_surface.h"
#include "sim_thread.h"
#include "session_events.h"
#include "thread_cpu.h"
#include "tool_session.h"

#include <QSignalSpy>

#include <benchmark/benchmark.h>

#include <chrono>

namespace kestrel::bench {

namespace {

constexpr int kExchanges = 1000;
constexpr int kSilenceMs = 5000;
const QByteArray kSerialCommand = QByteArrayLiteral("CAM_GETSERIALNUMBER");

using Clock = std::chrono::steady_clock;

double MsSince(Clock::time_point start) {
    return std::chrono::duration<double, std::milli>(Clock::now() - start).count();
}

// kExchanges serial number exchanges through the tool, then through a blocking
// socket, against one simulated camera; the order alternates between
// iterations so that neither side always runs on a warmer machine.
void BM_SerialNumberExchanges(benchmark::State& state) {
    sim::SimOptions options;
    options.quiet = true;
    sim::SimThread camera(options);
    if (!camera.Start()) {
        state.SkipWithError("the simulated camera did not start");
        return;
    }
    const QByteArray expected = kSerialCommand + ' ' + options.serial;

    QuietSurface surface;
    LinkSettings link;
    link.cameraPort = camera.Port();
    ToolSession session(surface, surface, link);
    ClickConnect(session, surface.address);
    if (!session.TheCamera().Connected()) {
        state.SkipWithError("the tool did not connect");
        return;
    }
    BlockingClient client;
    if (!client.Connect(camera.Port()) || !client.ReadLine()) {
        state.SkipWithError("the blocking client did not connect");
        return;
    }

    const auto runTool = [&] {
        int wrong = 0;
        const Clock::time_point start = Clock::now();
        for (int i = 0; i < kExchanges; ++i) {
            if (Ask(session.TheCamera(), kSerialCommand) != expected)
                ++wrong;
        }
        return std::pair{MsSince(start), wrong};
    };
    const auto runBlocking = [&] {
        int wrong = 0;
        const Clock::time_point start = Clock::now();
        for (int i = 0; i < kExchanges; ++i) {
            if (client.Exchange(kSerialCommand.toStdString()) != expected.toStdString())
                ++wrong;
        }
        return std::pair{MsSince(start), wrong};
    };

    const bench::PairedTimes times = bench::RunPaired(state, runTool, runBlocking);
    if (!bench::ReportPaired(state, times, "a reply was not the serial number"))
        return;
    const double runs = static_cast<double>(state.iterations());
    state.counters["tool_us_each"] = 1000.0 * times.toolMs / (runs * kExchanges);
    state.counters["blocking_us_each"] = 1000.0 * times.blockingMs / (runs * kExchanges);
}
BENCHMARK(BM_SerialNumberExchanges)->UseManualTime()->Iterations(5)->Unit(benchmark::kMillisecond);

// One command to a camera that never answers: the tool waits out its reply
// timeout. Its thread should sleep meanwhile.
void BM_SilentCameraWait(benchmark::State& state) {
    sim::SimOptions options;
    options.quiet = true;
    options.stopAnsweringAfter = 0; // the greeting comes, no reply ever does
    sim::SimThread camera(options);
    if (!camera.Start()) {
        state.SkipWithError("the simulated camera did not start");
        return;
    }
    // The camera link alone: connected and greeted, nothing asked.
    LogBook log;
    SessionEvents events;
    LinkSettings link;
    link.replyTimeoutMs = kSilenceMs;
    Camera tool(log, events, link, RunSettings());
    QSignalSpy opened(&tool, &Camera::openEnded);
    tool.Open(QStringLiteral("127.0.0.1"), camera.Port());
    if (!opened.wait(kCameraMs) || !tool.Connected()) {
        state.SkipWithError("the tool did not connect");
        return;
    }

    CpuSample sample;
    std::optional<QByteArray> reply;
    for (auto _ : state) {
        CpuShare share;
        reply = Ask(tool, kSerialCommand);
        sample = share.Elapsed();
        state.SetIterationTime(sample.wallMs / 1000.0);
    }
    if (reply || tool.ConnectionOpen()) {
        state.SkipWithError("the silent camera answered");
        return;
    }
    if (camera.ReceivedLines() != QList<QByteArray>{kSerialCommand}) {
        state.SkipWithError("the camera did not receive the command");
        return;
    }
    // The reply timer is a coarse Qt timer, which may fire up to 5 % early.
    if (sample.wallMs < 0.9 * kSilenceMs) {
        state.SkipWithError("the wait ended before the reply timeout");
        return;
    }
    state.counters["wall_ms"] = sample.wallMs;
    state.counters["cpu_ms"] = sample.cpuMs;
    state.counters["user_ms"] = sample.userMs;
    state.counters["system_ms"] = sample.systemMs;
    state.counters["cpu_percent"] = sample.Percent();
}
BENCHMARK(BM_SilentCameraWait)->UseManualTime()->Iterations(1)->Unit(benchmark::kMillisecond);

} // namespace

} // namespace kestrel::bench
