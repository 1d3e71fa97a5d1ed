// kestrel-flash plan: what update would do with each camera, changing nothing.

#include "command_options.h"

namespace kestrel::cli {

const Command& PlanCommand() {
    static const Command command{
        .name = QStringLiteral("plan"),
        .synopsis = QStringLiteral("plan ADDRESS..."),
        .summary = QStringLiteral("say what update would do with each camera, changing\nnothing"),
        .usage = QStringLiteral("plan [OPTIONS] ADDRESS..."),
        .about =
            QStringLiteral(
                "Says what update would do with each camera, and changes nothing: only the\n"
                "update status question, the information commands and the goodbye reach the\n"
                "camera.\n"
                "For each camera: program (older, newer, reinstall, no target), skip: current,\n"
                "skip: power-cycle pending (the history shows it programmed by an earlier\n"
                "run, not yet power-cycled), follow: run in progress, unreachable, or\n"
                "version-unread (with a target); with the information read.\n\n") +
            AddressHelp(),
        .arguments = {&CamerasOperand(), &TargetOption(), &ReinstallOption(), &HistoryOption(),
                      &LogDirOption(), &JsonOption(), &PlainOption()},
        .exitStatus =
            QStringLiteral("Exit status: 0 when every camera could be asked (and, with a target, "
                           "told\nits version), 1 otherwise, 2 for a usage error.\n"),
        .work = CameraWork::Plan,
        .jobNames = CameraJobNames,
        .makeJob = MakeCameraJob};
    return command;
}

} // namespace kestrel::cli
