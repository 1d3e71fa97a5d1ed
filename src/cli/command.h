#pragma once

#include "camera.h"
#include "camera_address.h"
#include "job_verdict.h"
#include "camera_scanner.h"
#include "history_command.h"
#include "json_line.h"
#include "scan_targets.h"

#include <QByteArray>
#include <QList>
#include <QString>
#include <QStringList>

#include <memory>
#include <optional>
#include <vector>

class QCommandLineParser;

namespace kestrel {
class HistoryRecorder;
} // namespace kestrel

namespace kestrel::cli {

class Job;
class JobSink;
class RecordBook;
struct Command;

// How the output is written: the command's own way (live bars on a
// terminal, else plain lines; a table for scan), or as asked.
enum class OutputForm { Default, Plain, Json, Addresses };

// What the command line asks for: the plan of every job of one command.
struct JobPlan {
    const Command* command = nullptr;
    OutputForm form = OutputForm::Default;
    QList<CameraAddress> cameras;
    QString reportPath;            // append one line per camera to this file
    QString logDir;                // one conversation record per camera in this folder
    RecordBook* records = nullptr; // the records of --log-dir, once opened
    bool confirmReboot = false;
    int rebootTimeoutMs = 300000; // how long to wait for the power cycle
    int powerCyclePollMs = 1000;  // how often the camera is looked at meanwhile
    LinkSettings link;            // the port is each camera's own
    RunSettings run;
    // update, plan: the hardware firmware version wanted, as the camera shows
    // it ("1.2B.05"); empty: none. reinstall programs a camera already there.
    QString targetHwVersion;
    bool reinstall = false;
    // stage, verify: the two files, the folder (stage), the SHA-256s the
    // files must have (raw; empty: not given), and --eject.
    QString hwFile;
    QString swFile;
    QString folder;
    QByteArray hwSha256;
    QByteArray swSha256;
    bool eject = false;
    // The production history written (and read by plan and history): --history
    // FILE; empty: KESTREL_FLASH_HISTORY, else the usual file.
    QString historyFile;
    HistoryRecorder* recorder = nullptr; // update, watch, stage: the history's writer
    // history: the query's options as given, checked where the query runs.
    HistoryArgs history;
    // scan: the targets as given and as read, their addresses in all.
    QStringList targetTexts;
    std::vector<ScanTarget> targets;
    std::uint64_t addresses = 0;
    quint16 defaultPort = 5000;
    bool large = false;
    ScanSettings scan;

    // scan: the jobs search for cameras.
    bool Searches() const { return !targets.empty(); }
};

// What a command's option or operand gives, as the parser read it.
class Given {
public:
    Given(const QCommandLineParser& parser, const Command& command);
    bool IsSet(const QString& name) const;
    QStringList Values(const QString& name) const;
    QString Value(const QString& name) const;
    QStringList Operands() const;
    const QString& CommandName() const;

private:
    const QCommandLineParser& m_parser;
    const Command& m_command;
};

// One option (names given) or the operands (no names) of a command, declared
// once: the help and the parser are made from it.
struct Argument {
    QStringList names{};   // "h", "help": short and long names; empty: the operands
    QString valueName{};   // "FILE"; empty for a switch
    QString description{}; // as the help shows it, lines joined by '\n'
    // How it is kept: a switch as a flag of the plan; an option that chooses
    // the output form as that form; anything else read by a function that
    // stores it and says what is wrong (empty when nothing is).
    bool JobPlan::*flag = nullptr;
    OutputForm form = OutputForm::Default;
    QString (*read)(const Given& given, JobPlan& plan) = nullptr;
    // When it is read, among the readers: the first mistake is the one told.
    int step = 0;
};

// A command of kestrel-flash: its help, its arguments, its jobs.
struct Command {
    QString name;                     // "info"
    QString synopsis;                 // in the program's help: "info ADDRESS..."
    QString summary;                  // beside it, lines joined by '\n'
    QString usage;                    // "info [OPTIONS] ADDRESS..."
    QString about;                    // the help's text between the usage and the options
    QList<const Argument*> arguments; // in the help's order; help comes last by itself
    QString exitStatus;               // the help's last paragraph
    QString jobColumn = QStringLiteral("CAMERA"); // the summary's heading of the jobs
    bool serials = true;                          // the summary shows each job's serial number
    CameraWork work = CameraWork::Read;           // what a camera job of the command does
    // update, watch and stage must be able to tell what an interruption left
    // unfinished: they do not start without Ctrl-C and SIGTERM caught.
    bool needsStopHandlers = false;
    // update, watch and stage write what they do to the production history.
    bool writesHistory = false;
    // scan: -h or --help anywhere asks for the help, even among mistakes
    // or as an option's value; "-help" is not one of them.
    bool helpAnywhere = false;
    // The names of the jobs, in order, and each job.
    QStringList (*jobNames)(const JobPlan& plan) = nullptr;
    std::unique_ptr<Job> (*makeJob)(int index, const JobPlan& plan, JobSink& sink) = nullptr;
    // A command that only reads, with no job to follow: it runs at once and
    // gives the exit status.
    int (*run)(const JobPlan& plan) = nullptr;
};

const Command& InfoCommand();
const Command& UpdateCommand();
const Command& PlanCommand();
const Command& WatchCommand();
const Command& StageCommand();
const Command& VerifyCommand();
const Command& ScanCommand();
const Command& HistoryCommand();

// Every command, in the order of the program's help.
const QList<const Command*>& Commands();
const Command* CommandNamed(const QString& name);

// The outcome of reading the command line: a plan to run, or a text to
// print (help) and the exit status that goes with it.
struct ParsedCommandLine {
    std::optional<JobPlan> plan;
    QString output;   // help for standard output
    QString error;    // a usage error for standard error, with a hint
    int exitCode = 0; // 0 after help, 2 after a usage error
};

// arguments.first() is the program name, as in QCoreApplication::arguments().
ParsedCommandLine ParseCommandLine(const QStringList& arguments);

// Gives the parser the command's options, each with its description, and
// the help unless the command looks for it itself (helpAnywhere): the parser
// that reads the command line is made so.
void AddOptions(const Command& command, QCommandLineParser& parser);

QString ProgramHelp();
QString CommandHelp(const Command& command);

// What --version prints: the program's version and that of its JSON schema.
QString VersionText();

} // namespace kestrel::cli
