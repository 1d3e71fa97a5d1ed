#pragma once

#include <QByteArray>
#include <QByteArrayList>

// The commands the tool sends to the camera, all in one place. The command
// channel sends each upper-cased; the camera answers one line per command.
namespace kestrel::commands {

// The update status: "<lead> <erase total> <erase done> <program total>
// <program done>", or "0 0 0 0" when no programming run is in progress.
inline const QByteArray kRunStatus = QByteArrayLiteral("CAM_FIRMWAREUPDATE 1");
// Starts the reprogramming of the boot flash.
inline const QByteArray kStartRun = QByteArrayLiteral("CAM_FIRMWAREUPDATE 0");
// The only commands that reach the camera while a run is in progress.
inline const QByteArrayList kDuringRun{kStartRun, kRunStatus};
// What the camera is doing, stopped before a run, in this order.
inline const QByteArrayList kStopActivities{"CAM_PLAYSTOP", "CAM_FG_RECORDSTOP", "CAM_LIVESTOP",
                                            "CAM_SSD_PLAYSTOP"};

// The camera's identity and firmware versions.
inline const QByteArray kSerialNumber = QByteArrayLiteral("CAM_GetSerialNumber");
inline const QByteArray kCameraType = QByteArrayLiteral("CAM_GetCameraType");
inline const QByteArray kSensorColor = QByteArrayLiteral("CAM_GetSensorColor");
inline const QByteArray kBayerType = QByteArrayLiteral("CAM_GetSensorBayerType");
// The three parts of the hardware firmware version.
inline const QByteArrayList kHardwareVersion{"REG_READ 6E80", "REG_READ 6F80", "REG_READ 1F80"};
inline const QByteArray kServerVersion = QByteArrayLiteral("GETSERVER_VERSION");

// The goodbye before the tool closes the connection.
inline const QByteArray kGoodbye = QByteArrayLiteral("CLOSE");

} // namespace kestrel::commands
