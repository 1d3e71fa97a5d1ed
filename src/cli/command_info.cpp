// kestrel-flash info: what each camera says about itself.

#include "command_options.h"

namespace kestrel::cli {

const Command& InfoCommand() {
    static const Command command{
        .name = QStringLiteral("info"),
        .synopsis = QStringLiteral("info ADDRESS..."),
        .summary = QStringLiteral(
            "show each camera's serial number, model, sensor and\nfirmware versions"),
        .usage = QStringLiteral("info [OPTIONS] ADDRESS..."),
        .about = QStringLiteral("Connects to each camera and shows its information: serial number, "
                                "model,\nsensor, hardware and software firmware versions.\n\n") +
                 AddressHelp(),
        .arguments = {&CamerasOperand(), &LogDirOption(), &JsonOption(), &PlainOption()},
        .exitStatus = ExitStatusOfCameras(),
        .jobNames = CameraJobNames,
        .makeJob = MakeCameraJob};
    return command;
}

} // namespace kestrel::cli
