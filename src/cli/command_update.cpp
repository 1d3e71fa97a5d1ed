// kestrel-flash update: programs every camera named, all at once.

#include "command_options.h"

namespace kestrel::cli {

const Command& UpdateCommand() {
    static const Command command{
        .name = QStringLiteral("update"),
        .synopsis = QStringLiteral("update ADDRESS..."),
        .summary = QStringLiteral(
            "program the new firmware into each camera's boot flash,\nall cameras at "
            "once"),
        .usage = QStringLiteral("update [OPTIONS] ADDRESS..."),
        .about =
            QStringLiteral(
                "Programs each camera's boot flash from the USB stick in the camera: stops the\n"
                "camera's activities, starts the reprogramming and follows the erase and\n"
                "programming phases to their end. All cameras are updated at once, each on its\n"
                "own connection. A camera found programming already is followed, not restarted.\n"
                "A camera is given 60 s to begin the programming after the start command (it\n"
                "reads the firmware from its USB stick first); one that has not begun by then\n"
                "may still begin: do not power it off; follow it with kestrel-flash watch.\n"
                "A lost connection is tried again for 60 s. Power-cycle a camera only when its\n"
                "line says so.\n\n"
                "With --confirm-reboot and --target-hw-version, the camera must come back with\n"
                "exactly the target version; another one fails as wrong-version. With\n"
                "--target-hw-version, a camera that the history shows programmed by an earlier\n"
                "run and not power-cycled since is left alone: power-cycle-pending.\n\n") +
            AddressHelp(),
        .arguments = {&CamerasOperand(), &TargetOption(), &ReinstallOption(),
                      &ConfirmRebootOption(), &RebootTimeoutOption(), &ReportOption(),
                      &LogDirOption(), &HistoryOption(), &JsonOption(), &PlainOption()},
        .exitStatus = ExitStatusWithHistory(),
        .work = CameraWork::Update,
        .needsStopHandlers = true,
        .writesHistory = true,
        .jobNames = CameraJobNames,
        .makeJob = MakeCameraJob};
    return command;
}

} // namespace kestrel::cli
