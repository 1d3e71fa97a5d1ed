#pragma once

#include "command.h"

namespace kestrel::cli {

// What several commands take, declared once.
const Argument& HelpOption();
const Argument& JsonOption();
const Argument& PlainOption();
const Argument& LogDirOption();
const Argument& ReportOption();
const Argument& ConfirmRebootOption();
const Argument& RebootTimeoutOption();
const Argument& TargetOption();
const Argument& ReinstallOption();
const Argument& CamerasOperand(); // ADDRESS...
const Argument& HwFileOption();
const Argument& SwFileOption();
const Argument& HwSha256Option();
const Argument& SwSha256Option();
const Argument& HistoryOption();

// Reads the camera addresses among the operands.
QString ReadCameraAddresses(const Given& given, JobPlan& plan);
// Whether the names of the files (and with folder, of the folder) are given.
QString CheckFileNames(const JobPlan& plan, bool folder);

// The paragraphs of the help that several commands share: what an ADDRESS
// is, how firmware files are checked, and the exit status of the commands
// with camera jobs.
QString AddressHelp();
QString SignatureHelp();
QString ExitStatusOfCameras();
// The same for the commands that write the production history.
QString ExitStatusWithHistory();

// The jobs of the commands that work on cameras: one per address.
QStringList CameraJobNames(const JobPlan& plan);
std::unique_ptr<Job> MakeCameraJob(int index, const JobPlan& plan, JobSink& sink);

} // namespace kestrel::cli
