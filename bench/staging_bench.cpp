// Staging two 64 MB firmware files onto a folder (write, sync, read back from
// the medium, SHA-256 compare, rename into place) against the plain shell way
// of doing the same job: cp, sync, cmp. Both run in the same iterations over
// the same files; the counters give each one's time and their ratio. With the
// argument 1, a SHA256SUMS lies beside the files: the copy checks them first,
// the shell way runs sha256sum -c first.

#include "staging_task.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QFile>
#include <QRandomGenerator>
#include <QTemporaryDir>

#include <benchmark/benchmark.h>

#include <cstdlib>

namespace {

// The copy as the tool makes it, its end waited for here.
kestrel::StagingOutcome StageAndWait(const kestrel::StagingPlan& plan) {
    kestrel::StagingTask task(plan);
    kestrel::StagingOutcome outcome;
    QEventLoop loop;
    QObject::connect(&task, &kestrel::StagingTask::finished, &loop,
                     [&](const kestrel::StagingOutcome& ended) {
                         outcome = ended;
                         loop.quit();
                     });
    task.Start();
    loop.exec();
    return outcome;
}

constexpr qint64 kFileSize = 64 * 1024 * 1024;

bool WriteRandomFile(const QString& path, quint32 seed) {
    QList<quint32> words(kFileSize / 4);
    QRandomGenerator(seed).fillRange(words.data(), words.size());
    QFile file(path);
    const qint64 bytes = static_cast<qint64>(words.size() * sizeof(quint32));
    return file.open(QIODevice::WriteOnly) &&
           file.write(reinterpret_cast<const char*>(words.constData()), bytes) == bytes;
}

QByteArray Quoted(const QString& path) {
    return '\'' + QFile::encodeName(path) + '\'';
}

void BM_StageVersusCpSyncCmp(benchmark::State& state) {
    QTemporaryDir root;
    const QString hw = root.filePath("board_3.rbf");
    const QString sw = root.filePath("vx_server_24");
    const QString stick = root.filePath("stick");
    const QString shellStick = root.filePath("shell-stick");
    if (!root.isValid() || !WriteRandomFile(hw, 1) || !WriteRandomFile(sw, 2) ||
        !QDir(root.path()).mkdir("stick") || !QDir(root.path()).mkdir("shell-stick")) {
        state.SkipWithError("cannot prepare the files");
        return;
    }
    const kestrel::StagingPlan plan{
        stick, {{hw, "board_3.rbf", "firm.rbf"}, {sw, "vx_server_24", "vx_server"}}};
    const QByteArray shellCopy = "cp " + Quoted(hw) + ' ' + Quoted(shellStick + "/firm.rbf") +
                                 " && cp " + Quoted(sw) + ' ' + Quoted(shellStick + "/vx_server") +
                                 " && sync && cmp -s " + Quoted(hw) + ' ' +
                                 Quoted(shellStick + "/firm.rbf") + " && cmp -s " + Quoted(sw) +
                                 ' ' + Quoted(shellStick + "/vx_server");
    const bool withSums = state.range(0) != 0;
    const QByteArray inRoot = "cd " + Quoted(root.path()) + " && ";
    const QByteArray listSums = inRoot + "sha256sum board_3.rbf vx_server_24 > SHA256SUMS";
    if (withSums && std::system(listSums.constData()) != 0) {
        state.SkipWithError("cannot write SHA256SUMS");
        return;
    }
    const QByteArray shell =
        withSums ? inRoot + "sha256sum -c --quiet SHA256SUMS && " + shellCopy : shellCopy;

    double stagingSeconds = 0;
    double shellSeconds = 0;
    QElapsedTimer clock;
    for (auto _ : state) {
        clock.start();
        const kestrel::StagingOutcome outcome = StageAndWait(plan);
        stagingSeconds += clock.nsecsElapsed() / 1e9;
        if (!outcome.succeeded) {
            state.SkipWithError(outcome.reason.toLocal8Bit().constData());
            return;
        }
        clock.start();
        const int status = std::system(shell.constData());
        shellSeconds += clock.nsecsElapsed() / 1e9;
        if (status != 0) {
            state.SkipWithError("sha256sum, cp, sync or cmp failed");
            return;
        }
    }
    const double iterations = static_cast<double>(state.iterations());
    state.counters["staging_s"] = stagingSeconds / iterations;
    state.counters["cp_sync_cmp_s"] = shellSeconds / iterations;
    state.counters["ratio"] = stagingSeconds / shellSeconds;
    state.SetBytesProcessed(state.iterations() * 2 * kFileSize);
}

BENCHMARK(BM_StageVersusCpSyncCmp)
    ->Arg(0)
    ->Arg(1)
    ->UseRealTime()
    ->Iterations(4)
    ->Unit(benchmark::kMillisecond);

} // namespace

int main(int argc, char** argv) {
    // The copy waits for its worker in an event loop, which needs the application object.
    QCoreApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv))
        return 1;
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
