#pragma once

#include <QString>

// The log lines and messages of a programming run.
namespace kestrel::texts {

inline const QString kBanner = QStringLiteral("!! DO NOT POWER OFF THE CAMERA !!\r\n\r\n");
inline const QString kStarting = QStringLiteral("Programming New firmware \r\n");
inline const QString kAlreadyRunning = QStringLiteral("Firmware is already being programmed\r\n");
inline const QString kEraseHeading = QStringLiteral("\t=> Erasing flash memory: ");
inline const QString kPhaseOk = QStringLiteral("ok \r\n");
inline const QString kProgramHeading = QStringLiteral("\t=> Programming flash memory: ");
inline const QString kFinished = QStringLiteral("\t=> Programming finished\r\n");
inline const QString kPowerCycle =
    QStringLiteral("\r\nPower cycle the camera to load new firmware\r\n");
inline const QString kNotConnected = QStringLiteral("Please first connect to a camera");
inline const QString kUpdateRunningInfo =
    QStringLiteral("FIRMWARE Update Is Running, please wait...\r\n");

// A duration in seconds as the operator reads it: "60", "0.5".
inline QString Seconds(int ms) {
    return QString::number(ms / 1000.0);
}

inline QString SectorLine(int done, int total) {
    return QStringLiteral("sector %1 of %2\r\n").arg(done).arg(total);
}
inline QString PageLine(int done, int total) {
    return QStringLiteral("page %1 of %2\r\n").arg(done).arg(total);
}

// Shown while the start waits for a camera that still shows a finished run.
inline QString SettleLine(int ms) {
    return QStringLiteral("The camera still shows the end of its previous run: waiting up to %1 s "
                          "for it to be ready...\r\n")
        .arg(Seconds(ms));
}

inline const QString kMayStillProgram =
    QStringLiteral("The camera may still be programming its flash memory: do NOT power it off.\r\n"
                   "Connect again to follow the programming to its end.\r\n");

inline QString TryingToReconnect(int ms) {
    return QStringLiteral(
               "The programming goes on in the camera; trying to reconnect for %1 s...\r\n")
        .arg(Seconds(ms));
}
inline QString Reconnected(const QString& address) {
    return QStringLiteral("Reconnected to the camera @ IP=%1, following the programming\r\n")
        .arg(address);
}
inline QString CouldNotReconnect(int ms) {
    return QStringLiteral("\r\nThe connection to the camera could not be restored within %1 s.\r\n")
               .arg(Seconds(ms)) +
           kMayStillProgram;
}
inline const QString kLostMessage = QStringLiteral(
    "The connection to the camera was lost during programming and could not be restored.\n\n"
    "The camera may still be programming: do NOT power it off. Connect again to follow the "
    "programming to its end.");
inline const QString kDisconnected =
    QStringLiteral("\r\nDisconnected during programming.\r\n") + kMayStillProgram;
inline const QString kDisconnectedMessage = QStringLiteral(
    "Disconnected during programming.\n\nThe camera may still be programming: do NOT power it "
    "off. Connect again to follow the programming to its end.");
inline const QString kLostBeforeStart = QStringLiteral(
    "\r\nThe connection to the camera was lost before the programming was started.\r\n");

inline QString Stalled(int ms, const QString& figures) {
    return QStringLiteral("\r\nThe camera's figures have not changed for %1 s (%2): the "
                          "programming is not progressing.\r\n"
                          "Do NOT power off the camera yet: connect again to check whether it is "
                          "still programming.\r\n")
        .arg(Seconds(ms))
        .arg(figures);
}
inline const QString kStalledMessage = QStringLiteral(
    "The camera has stopped reporting progress of the programming.\n\nDo NOT power it off yet: "
    "connect again to check whether it is still programming.");

inline QString StoppedEarly(const QString& figures) {
    return QStringLiteral("\r\nThe camera ended the programming run before reporting its end "
                          "(last seen: %1).\r\n"
                          "The new firmware may not be completely written: do NOT power off the "
                          "camera; run the firmware update again.\r\n")
        .arg(figures);
}
inline const QString kStoppedEarlyMessage = QStringLiteral(
    "The camera ended the programming run before reporting its end.\n\nThe new firmware may not be "
    "completely written: do NOT power off the camera; run the firmware update again.");

// Shown while the camera has not yet begun the run it was told to start.
inline QString WaitingToBegin(int ms) {
    return QStringLiteral("Waiting up to %1 s for the camera to begin the programming (it reads "
                          "the firmware from the USB stick)...\r\n")
        .arg(Seconds(ms));
}

inline QString NeverStarted(int ms) {
    return QStringLiteral("\r\nThe camera has not begun the programming %1 s after the start "
                          "command.\r\n"
                          "It may still begin: do NOT power it off while it programs its flash "
                          "memory.\r\n"
                          "Connect again to follow the programming if it begins.\r\n")
        .arg(Seconds(ms));
}
inline const QString kNeverStartedMessage =
    QStringLiteral("The camera has not begun the programming yet.\n\nIt may still begin: do NOT "
                   "power it off while it programs. Connect again to follow the programming if "
                   "it begins.");

} // namespace kestrel::texts
