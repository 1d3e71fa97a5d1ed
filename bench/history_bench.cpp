// The production history at a million events (500,000 operations of 20,000
// cameras, each a begin and an end, as a busy bench writes them over years):
// finding one camera's operations, walking the whole chain, and the bytes an
// event takes on disk, and the same through kestrel-flash history. The history
// is made once, before the first benchmark. Goals: a serial's operations in
// under 100 ms, the chain in under 10 s, at most 400 bytes per event.

#include "history_command.h"
#include "history_filter.h"
#include "history_stamp.h"
#include "history_store.h"
#include "process_identity.h"

#include <QFileInfo>
#include <QSqlDatabase>
#include <QSqlQuery>
#include <QTemporaryDir>

#include <benchmark/benchmark.h>

#include <cstdio>

namespace {

using namespace kestrel;

constexpr int kOperations = 500'000;
constexpr int kCameras = 20'000;

std::string Serial(int camera) {
    char text[16];
    std::snprintf(text, sizeof text, "KV%07d", 1'300'000 + camera);
    return text;
}

// Two events per operation, as the faces write them.
void AddOperation(std::vector<HistoryEvent>& batch, int n) {
    const int camera = (n * 7919) % kCameras;
    HistoryEvent begin = BeginEvent(n % 2 ? history::kTerminal : history::kWindow,
                                    n % 25 ? history::kUpdate : history::kPowerCycle);
    begin.timeMs = 1'700'000'000'000 + n * 60'000LL;
    begin.address = "10.20." + std::to_string(camera / 250) + "." + std::to_string(camera % 250);
    begin.serial = Serial(camera);
    begin.model = "VX-2000";
    begin.hardwareBefore = "1.2A.3F";
    begin.software = "24.1.7";
    begin.target = "1.2B.05";
    begin.recordFile = "/home/line1/.local/share/Kestrel_FlashTool/records/" + begin.serial + "-" +
                       std::to_string(n) + ".log";
    HistoryEvent end = EndEvent(begin);
    end.timeMs = begin.timeMs + 95'000;
    end.result = n % 10 ? "ok" : "stalled";
    end.changed = n % 10 != 0;
    end.elapsedMs = 95'000;
    batch.push_back(std::move(begin));
    batch.push_back(std::move(end));
}

struct History {
    QTemporaryDir dir;
    QString path;
    QString error;
    std::int64_t events = 0;

    // KESTREL_HISTORY_BENCH_FILE keeps the history between runs.
    History()
        : path(qEnvironmentVariable("KESTREL_HISTORY_BENCH_FILE",
                                    dir.filePath(QStringLiteral("history.sqlite")))) {
        if (QFileInfo(path).size() > 0) {
            events = 2 * kOperations;
            return;
        }
        HistoryStore store;
        if (!store.Open(path, &error))
            return;
        std::vector<HistoryEvent> batch;
        for (int n = 0; n < kOperations; ++n) {
            AddOperation(batch, n);
            if (batch.size() >= 20'000 || n + 1 == kOperations) {
                if (!store.Append(batch, &error))
                    return;
                events += static_cast<std::int64_t>(batch.size());
                batch.clear();
            }
        }
    }
};

History& TheHistory() {
    static History history;
    return history;
}

void BM_OperationsOfASerial(benchmark::State& state) {
    History& h = TheHistory();
    HistoryStore store;
    if (!h.error.isEmpty() || !store.Open(h.path, &h.error)) {
        state.SkipWithError(qPrintable(h.error));
        return;
    }
    int camera = 0;
    std::size_t found = 0;
    for (auto _ : state) {
        std::vector<Operation> ops;
        OperationFilter filter;
        filter.serial = Serial(camera++ % kCameras);
        if (!store.ReadOperations(filter, LocalProcessGone(), &ops, &h.error)) {
            state.SkipWithError(qPrintable(h.error));
            return;
        }
        found += ops.size();
    }
    state.counters["operations"] = benchmark::Counter(double(found) / double(state.iterations()));
}
BENCHMARK(BM_OperationsOfASerial)->Unit(benchmark::kMillisecond);

void BM_VerifyChain(benchmark::State& state) {
    History& h = TheHistory();
    HistoryStore store;
    if (!h.error.isEmpty() || !store.Open(h.path, &h.error)) {
        state.SkipWithError(qPrintable(h.error));
        return;
    }
    HistoryStore::Verdict verdict;
    for (auto _ : state) {
        if (!store.Verify(&verdict, &h.error) || verdict.broken) {
            state.SkipWithError("the chain did not verify");
            return;
        }
    }
    state.counters["events"] = benchmark::Counter(double(verdict.checked));
}
BENCHMARK(BM_VerifyChain)->Unit(benchmark::kMillisecond)->Iterations(2);

// kestrel-flash history as an operator runs it, output and all: the store
// opened, the operations read, the lines written.
enum class Ask { Serial, SinceADay, LastTenStalled, NoneMatch, Verify };

HistoryArgs ArgsFor(Ask ask, const QString& path, int iteration) {
    HistoryArgs args;
    args.historyFile = path;
    args.resultCodes = {QStringLiteral("ok"), QStringLiteral("stalled")};
    switch (ask) {
    case Ask::Serial:
        args.serial = {QString::fromStdString(Serial(iteration % kCameras))};
        break;
    case Ask::SinceADay: // the newest 1,440 operations
        args.since = {
            QString::fromStdString(FormatUtc(1'700'000'000'000 + (kOperations - 1440) * 60'000LL))};
        break;
    case Ask::LastTenStalled:
        args.result = {QStringLiteral("stalled")};
        args.last = {QStringLiteral("10")};
        break;
    case Ask::NoneMatch: // every event is read
        args.result = {QStringLiteral("running")};
        break;
    case Ask::Verify:
        args.verify = true;
        break;
    }
    return args;
}

void BM_HistoryCommand(benchmark::State& state, Ask ask) {
    History& h = TheHistory();
    if (!h.error.isEmpty()) {
        state.SkipWithError(qPrintable(h.error));
        return;
    }
    std::FILE* out = std::tmpfile();
    std::FILE* err = std::tmpfile();
    int iteration = 0;
    for (auto _ : state) {
        std::rewind(out);
        if (HistoryCommand(ArgsFor(ask, h.path, iteration++), out, err) != 0) {
            state.SkipWithError("the command failed");
            break;
        }
    }
    std::fclose(out);
    std::fclose(err);
}
BENCHMARK_CAPTURE(BM_HistoryCommand, serial, Ask::Serial)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_HistoryCommand, since_a_day, Ask::SinceADay)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_HistoryCommand, last_ten_stalled, Ask::LastTenStalled)
    ->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_HistoryCommand, none_match, Ask::NoneMatch)
    ->Unit(benchmark::kMillisecond)
    ->Iterations(1);
BENCHMARK_CAPTURE(BM_HistoryCommand, verify, Ask::Verify)
    ->Unit(benchmark::kMillisecond)
    ->Iterations(1);

// Not a time: the file's size after its journal is folded in, per event.
void BM_BytesPerEvent(benchmark::State& state) {
    History& h = TheHistory();
    {
        QSqlDatabase db =
            QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), QStringLiteral("size"));
        db.setDatabaseName(h.path);
        if (db.open())
            QSqlQuery(db).exec(QStringLiteral("PRAGMA wal_checkpoint(TRUNCATE)"));
        db.close();
    }
    QSqlDatabase::removeDatabase(QStringLiteral("size"));
    for (auto _ : state)
        benchmark::DoNotOptimize(QFileInfo(h.path).size());
    state.counters["bytes_per_event"] =
        benchmark::Counter(double(QFileInfo(h.path).size()) / double(h.events));
    state.counters["events"] = benchmark::Counter(double(h.events));
}
BENCHMARK(BM_BytesPerEvent)->Iterations(1);

} // namespace
