#pragma once

#include "camera_address.h"
#include "scan_options.h"

#include <QByteArray>
#include <QList>
#include <QString>
#include <QStringList>

#include <optional>

namespace kestrel::cli {

enum class Command { Info, Update, Watch, Stage, Plan, Scan, Verify };

// What the command line asks for.
struct CliOptions {
    Command command = Command::Info;
    QList<CameraAddress> cameras;
    bool json = false;  // one JSON object per line instead of text
    bool plain = false; // plain lines even on a terminal
    QString reportPath; // append one line per camera to this file
    QString logDir;     // one conversation record per camera in this folder
    bool confirmReboot = false;
    int rebootTimeoutS = 300; // how long to wait for the power cycle
    QString hwFile;
    QString swFile;
    QString folder;
    QByteArray hwSha256; // the SHA-256 the files must have (raw); empty: not given
    QByteArray swSha256;
    // update, plan: the hardware firmware version wanted, as the camera shows
    // it ("1.2B.05"); empty: none. reinstall programs a camera already there.
    QString targetHwVersion;
    bool reinstall = false;
    ScanOptions scan; // for scan alone
    bool eject = false; // stage: eject the stick after a successful copy
};

// The outcome of reading the command line: options to run, or a text to
// print (help) and the exit status that goes with it.
struct ParsedCli {
    std::optional<CliOptions> options;
    QString output;   // help for standard output
    QString error;    // a usage error for standard error, with a hint
    int exitCode = 0; // 0 after help, 2 after a usage error
};

// The name of a command on the command line: "info", "update"...
QString CommandName(Command command);

// arguments.first() is the program name, as in QCoreApplication::arguments().
ParsedCli ParseCli(const QStringList& arguments);

// The help texts: of the program, and of each command.
QString ProgramHelp();
// The version of the JSON objects of --json ("schema" in each): raised only
// when a field's meaning changes or a field goes.
inline constexpr int kJsonSchemaVersion = 1;

// What --version prints: the program's version and that of its JSON schema.
QString VersionText();
QString CommandHelp(Command command);

} // namespace kestrel::cli
