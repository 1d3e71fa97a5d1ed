// kestrel-flash info: what each camera says about itself.

#include "command_options.h"

namespace kestrel::cli {

const Command& InfoCommand() {
    static const Command command{
        QStringLiteral("info"),
        QStringLiteral("info ADDRESS..."),
        QStringLiteral("show each camera's serial number, model, sensor and\nfirmware versions"),
        QStringLiteral("info [OPTIONS] ADDRESS..."),
        QStringLiteral("Connects to each camera and shows its information: serial number, "
                       "model,\nsensor, hardware and software firmware versions.\n\n") +
            AddressHelp(),
        {&CamerasOperand(), &LogDirOption(), &JsonOption(), &PlainOption()},
        ExitStatusOfCameras(),
        QStringLiteral("CAMERA"),
        true,
        CameraWork::Read,
        false,
        false,
        CameraJobNames,
        MakeCameraJob};
    return command;
}

} // namespace kestrel::cli
