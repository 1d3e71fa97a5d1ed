#include "command_replies.h"

namespace kestrel::sim {

QByteArray ReplyTo(const QByteArray& command, const SimOptions& options, CameraState& camera) {
    const QByteArray upper = command.toUpper();
    if (upper == "CAM_GETSERIALNUMBER") {
        return "CAM_GETSERIALNUMBER " + options.serial;
    }
    if (upper == "CAM_GETCAMERATYPE") {
        return "CAM_GETCAMERATYPE " + QByteArray::number(options.cameraType);
    }
    if (upper == "CAM_GETSENSORCOLOR") {
        return options.colorSensor ? QByteArrayLiteral("CAM_GETSENSORCOLOR 1")
                                   : QByteArrayLiteral("CAM_GETSENSORCOLOR 0");
    }
    if (upper == "CAM_GETSENSORBAYERTYPE") {
        return "CAM_GETSENSORBAYERTYPE " + QByteArray::number(options.bayerType);
    }
    if (upper == "REG_READ 6E80") {
        return camera.Version().parts[0];
    }
    if (upper == "REG_READ 6F80") {
        return camera.Version().parts[1];
    }
    if (upper == "REG_READ 1F80") {
        return camera.Version().parts[2];
    }
    if (upper == "GETSERVER_VERSION") {
        return options.serverVersion;
    }
    if (upper == "CAM_PLAYSTOP" || upper == "CAM_FG_RECORDSTOP" || upper == "CAM_LIVESTOP" ||
        upper == "CAM_SSD_PLAYSTOP" || upper == "CLOSE") {
        return QByteArrayLiteral("OK");
    }
    if (upper == "CAM_FIRMWAREUPDATE 0") {
        camera.StartRun();
        return QByteArrayLiteral("OK");
    }
    if (upper == "CAM_FIRMWAREUPDATE 1") {
        return camera.StatusReply();
    }
    return QByteArrayLiteral("ERROR unknown command");
}

const FixedReply* FindFixedReply(const QByteArray& command, const SimOptions& options) {
    const QByteArray upper = command.toUpper();
    for (qsizetype i = options.fixedReplies.size() - 1; i >= 0; --i) {
        const FixedReply& reply = options.fixedReplies.at(i);
        if (reply.command.toUpper() == upper) {
            return &reply;
        }
    }
    return nullptr;
}

} // namespace kestrel::sim
