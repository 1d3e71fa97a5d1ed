// kestrel-flash: the tool's work from a terminal, for one camera or a whole
// bench of them at once.

#include "cli_options.h"
#include "job_runner.h"
#include "json_output.h"
#include "live_output.h"
#include "open_file_limit.h"
#include "plain_output.h"
#include "record_book.h"
#include "report_file.h"
#include "scan_command.h"
#include "stop_signals.h"
#include "terminal.h"
#include "terminal_text.h"

#include <QCoreApplication>
#include <QDateTime>

#include <cstdio>
#include <memory>


namespace {

using namespace kestrel::cli;
using kestrel::StopSignals;

std::unique_ptr<ProgressOutput> MakeOutput(const CliOptions& options) {
    if (options.json)
        return std::make_unique<JsonOutput>(stdout, options.targetHwVersion);
    if (!options.plain && IsTerminal(stdout) && EnableTerminalSequences(stdout))
        return std::make_unique<LiveOutput>(stdout);
    return std::make_unique<PlainOutput>(stdout);
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

    const ParsedCli parsed = ParseCli(QCoreApplication::arguments());
    if (!parsed.options) {
        WriteText(parsed.exitCode == 0 ? stdout : stderr,
                  parsed.exitCode == 0 ? parsed.output : parsed.error);
        return parsed.exitCode;
    }
    const CliOptions& options = *parsed.options;
    kestrel::RaiseOpenFileLimit();
    if (options.command == Command::Scan) {
        ScanCommand scan(options.scan);
        QObject::connect(&scan, &ScanCommand::finished, &app, &QCoreApplication::exit,
                         Qt::QueuedConnection);
        if (!scan.Start())
            return 1;
        return QCoreApplication::exec();
    }

    std::unique_ptr<ReportFile> report;
    if (!options.reportPath.isEmpty()) {
        report = std::make_unique<ReportFile>(options.reportPath);
        QString error;
        if (!report->CheckWritable(&error)) {
            WriteText(stderr, QStringLiteral("kestrel-flash: %1\n").arg(error));
            return 1;
        }
    }

    QStringList names;
    for (const CameraAddress& camera : options.cameras)
        names.append(camera.Text());
    std::unique_ptr<RecordBook> records;
    if (!options.logDir.isEmpty()) {
        records = std::make_unique<RecordBook>(options.logDir, CommandName(options.command), names,
                                               LocalNow);
        QString error;
        if (!records->CheckWritable(&error)) {
            WriteText(stderr, QStringLiteral("kestrel-flash: %1\n").arg(error));
            return 1;
        }
    }

    const std::unique_ptr<ProgressOutput> output = MakeOutput(options);
    JobRunner runner(*output);
    // Every camera is driven from this thread's event loop, which runs until
    // the last job has ended.
    QObject::connect(&runner, &JobRunner::finished, &app, &QCoreApplication::quit,
                     Qt::QueuedConnection);
    // Ctrl-C stops following the cameras, not a camera that is programming;
    // the operator is told so, camera by camera, before the program ends. A
    // copy onto a stick goes on to its end.
    StopSignals stop;
    QString refusal;
    if (!runner.FollowStopRequests(stop, options.command, &refusal)) {
        WriteText(stderr, QStringLiteral("kestrel-flash: %1\n").arg(refusal));
        return 1;
    }
    if (options.command == Command::Stage || options.command == Command::Verify) {
        runner.RunStage(options);
    } else {
        JobPlan plan;
        plan.command = options.command;
        plan.confirmReboot = options.confirmReboot;
        plan.rebootTimeoutMs = options.rebootTimeoutS * 1000;
        plan.records = records.get();
        plan.targetHwVersion = options.targetHwVersion;
        plan.reinstall = options.reinstall;
        runner.Start(options.cameras, plan);
    }
    QCoreApplication::exec();

    if (report) {
        QString error;
        // Local time with its offset from UTC, so records from sites in
        // several time zones compare.
        if (!report->Append(runner.Records(), LocalNow(), &error)) {
            WriteText(stderr, QStringLiteral("kestrel-flash: %1\n").arg(error));
            return 1;
        }
    }
    return runner.AllSucceeded() ? 0 : 1;
}
