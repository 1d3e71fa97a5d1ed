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
        {}, QStringLiteral("ADDRESS"), {}, nullptr, OutputForm::Default, ReadWatchedCamera, 1};
    return operand;
}

} // namespace

const Command& WatchCommand() {
    static const Command command{
        QStringLiteral("watch"),
        QStringLiteral("watch ADDRESS"),
        QStringLiteral("follow a programming run already in progress"),
        QStringLiteral("watch [OPTIONS] ADDRESS"),
        QStringLiteral("Follows a programming run already in progress on the camera to its "
                       "end.\nFails when the camera is not programming.\n\n") +
            AddressHelp(),
        {&WatchedCamera(), &ConfirmRebootOption(), &RebootTimeoutOption(), &ReportOption(),
         &LogDirOption(), &JsonOption(), &PlainOption()},
        ExitStatusOfCameras(),
        QStringLiteral("CAMERA"),
        true,
        CameraWork::Watch,
        true,
        false,
        CameraJobNames,
        MakeCameraJob};
    return command;
}

} // namespace kestrel::cli
