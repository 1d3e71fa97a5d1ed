// kestrel-flash: the tool's work from a terminal, for one camera or a whole
// bench of them at once.

#include "command.h"
#include "history_event.h"
#include "history_recorder.h"
#include "job_runner.h"
#include "json_output.h"
#include "live_output.h"
#include "open_file_limit.h"
#include "plain_output.h"
#include "record_book.h"
#include "report_file.h"
#include "stop_signals.h"
#include "terminal.h"

#include <QCoreApplication>
#include <QDateTime>

#include <cstdio>
#include <memory>

namespace {

using namespace kestrel::cli;
using kestrel::StopSignals;

std::unique_ptr<ProgressOutput> MakeOutput(const JobPlan& plan) {
    std::unique_ptr<ProgressOutput> output;
    if (plan.form == OutputForm::Json)
        output = std::make_unique<JsonOutput>(stdout);
    else if (plan.form == OutputForm::Default && !plan.Searches() && IsTerminal(stdout) &&
             EnableTerminalSequences(stdout))
        output = std::make_unique<LiveOutput>(stdout);
    else
        output = std::make_unique<PlainOutput>(stdout);
    if (plan.Searches())
        return std::make_unique<SearchLine>(std::move(output), stderr, IsTerminal(stderr));
    return output;
}

// The report and the records are checked before any camera is touched.
bool CheckWritable(const ReportFile* report, const RecordBook* records) {
    QString error;
    if ((report && !report->CheckWritable(&error)) ||
        (records && !records->CheckWritable(&error))) {
        WriteText(stderr, QStringLiteral("kestrel-flash: %1\n").arg(error));
        return false;
    }
    return true;
}

// Runs the command's jobs on this thread's event loop, then keeps their
// records; the exit status.
int RunJobs(JobPlan& plan) {
    kestrel::RaiseOpenFileLimit();
    const auto report =
        plan.reportPath.isEmpty() ? nullptr : std::make_unique<ReportFile>(plan.reportPath);
    const auto records = plan.logDir.isEmpty()
                             ? nullptr
                             : std::make_unique<RecordBook>(plan.logDir, plan.command->name,
                                                            plan.command->jobNames(plan), LocalNow);
    if (!CheckWritable(report.get(), records.get()))
        return 1;
    plan.records = records.get();
    // One writer of the history for the whole command, on its own thread.
    const auto history = plan.command->writesHistory
                             ? std::make_unique<kestrel::HistoryRecorder>(
                                   kestrel::history::kTerminal, plan.historyFile)
                             : nullptr;
    plan.recorder = history.get();

    const std::unique_ptr<ProgressOutput> output = MakeOutput(plan);
    JobRunner runner(*output);
    // Every job is driven from this thread's event loop, which runs until
    // the last job has ended.
    QObject::connect(&runner, &JobRunner::finished, QCoreApplication::instance(),
                     &QCoreApplication::quit, Qt::QueuedConnection);
    // Ctrl-C stops following the cameras, not a camera that is programming;
    // the operator is told so, camera by camera, before the program ends. A
    // copy onto a stick goes on to its end.
    StopSignals stop;
    QString refusal;
    if (!runner.FollowStopRequests(stop, *plan.command, &refusal)) {
        WriteText(stderr, QStringLiteral("kestrel-flash: %1\n").arg(refusal));
        return 1;
    }
    runner.Start(plan);
    QCoreApplication::exec();

    // Every event is tried once more; a history that was not written is
    // told once and fails the command, whatever the jobs' own results.
    QString error;
    const bool recorded = !history || history->Finish(&error);
    if (!recorded)
        WriteText(stderr, QStringLiteral("kestrel-flash: %1\n").arg(error));
    // Local time with its offset from UTC, so records from sites in several
    // time zones compare.
    if (report && !report->Append(runner.Records(), LocalNow(), &error)) {
        WriteText(stderr, QStringLiteral("kestrel-flash: %1\n").arg(error));
        return 1;
    }
    return runner.AllSucceeded() && recorded ? 0 : 1;
}

} // namespace

int main(int argc, char** argv) {
    // Qt's own event loop rather than GLib's: with a connection per camera
    // it wakes the loop once per turn, not once per event posted, and the
    // terminal program needs nothing of GLib. Set before the application
    // object, which picks the loop.
    qputenv("QT_NO_GLIB", "1");
    QCoreApplication app(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("kestrel-flash"));

    ParsedCommandLine parsed = ParseCommandLine(QCoreApplication::arguments());
    if (!parsed.plan) {
        WriteText(parsed.exitCode == 0 ? stdout : stderr,
                  parsed.exitCode == 0 ? parsed.output : parsed.error);
        return parsed.exitCode;
    }
    JobPlan& plan = *parsed.plan;
    if (plan.command->run)
        return plan.command->run(plan);
    return RunJobs(plan);
}
