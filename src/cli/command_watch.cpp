// kestrel-flash watch: follows the run a camera is doing.

#include "command_options.h"

namespace kestrel::cli {

namespace {

QString ReadWatchedCamera(const Given& given, JobPlan& plan) {
    if (given.Operands().size() > 1)
        return QStringLiteral("watch follows one camera: give one ADDRESS");
    return ReadCameraAddresses(given, plan);
}

const Argument& WatchedCamera() {
    static const Argument operand{
        .valueName = QStringLiteral("ADDRESS"), .read = ReadWatchedCamera, .step = 1};
    return operand;
}

} // namespace

const Command& WatchCommand() {
    static const Command command{
        .name = QStringLiteral("watch"),
        .synopsis = QStringLiteral("watch ADDRESS"),
        .summary = QStringLiteral("follow a programming run already in progress"),
        .usage = QStringLiteral("watch [OPTIONS] ADDRESS"),
        .about =
            QStringLiteral("Follows a programming run already in progress on the camera to its "
                           "end.\nFails when the camera is not programming.\n\n") +
            AddressHelp(),
        .arguments = {&WatchedCamera(), &ConfirmRebootOption(), &RebootTimeoutOption(),
                      &ReportOption(), &LogDirOption(), &HistoryOption(), &JsonOption(),
                      &PlainOption()},
        .exitStatus = ExitStatusWithHistory(),
        .work = CameraWork::Watch,
        .needsStopHandlers = true,
        .writesHistory = true,
        .jobNames = CameraJobNames,
        .makeJob = MakeCameraJob};
    return command;
}

} // namespace kestrel::cli
