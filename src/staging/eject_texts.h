#pragma once

#include <QString>

// The words of ejecting the USB stick: log lines and the sentence that ends
// each outcome.
namespace kestrel::texts {

inline QString Unmounted(const QString& device, const QString& mountPoint) {
    return QStringLiteral("unmounted %1 from %2").arg(device, mountPoint);
}
inline QString AlsoUnmounted(const QString& device, const QString& mountPoint) {
    return QStringLiteral("unmounted %1 from %2 as well: another partition of the same drive")
        .arg(device, mountPoint);
}
inline QString PoweredOff(const QString& device) {
    return QStringLiteral("powered off the drive of %1").arg(device);
}
inline QString MediumEjected(const QString& device) {
    return QStringLiteral("ejected the medium of %1").arg(device);
}
inline QString CanBeRemoved(const QString& device) {
    return QStringLiteral("The USB stick (%1) is ejected: it can be removed now.").arg(device);
}
// The drive can neither be powered off nor eject its medium.
inline QString UnmountedOnly(const QString& device) {
    return QStringLiteral("The file systems of %1 are unmounted: the card can be removed now. "
                          "Its drive was not ejected: it can neither be powered off nor eject "
                          "the card.")
        .arg(device);
}
inline QString NotOnDrive(const QString& folder) {
    return QStringLiteral("\"%1\" is not on a drive that can be ejected: remove the stick the "
                          "way its system requires.")
        .arg(folder);
}
inline QString NotRemovable(const QString& folder, const QString& device) {
    return QStringLiteral("\"%1\" is on %2, a fixed disk, not on a removable drive: it is "
                          "never ejected.")
        .arg(folder, device);
}
inline QString Busy(const QString& device, const QString& mountPoint) {
    return QStringLiteral("The file system %1 at %2 is busy: close whatever uses it (a file "
                          "manager window, a terminal in that folder) and try again.")
        .arg(device, mountPoint);
}
inline QString NotAuthorized(const QString& device) {
    return QStringLiteral("This session is not allowed to eject %1 (a remote session, for "
                          "example): eject it from the desktop, or run the tool as a user "
                          "allowed to.")
        .arg(device);
}
// mountPoint: where the stick is mounted; empty when unknown.
inline QString NoService(const QString& mountPoint) {
    const QString umount = mountPoint.isEmpty() ? QStringLiteral("umount on its mount point")
                                                : QStringLiteral("umount \"%1\"").arg(mountPoint);
    return QStringLiteral("UDisks2 is not running, so the stick cannot be ejected from here: "
                          "remove it safely by hand, with sync and %1 (or udisksctl unmount and "
                          "udisksctl power-off), before pulling it out.")
        .arg(umount);
}
inline QString Failed(const QString& device, const QString& why) {
    return QStringLiteral("Ejecting %1 failed (%2): eject it from the desktop before removing "
                          "it.")
        .arg(device, why);
}
inline QString Unsupported() {
    return QStringLiteral("Ejecting the USB stick is not supported on this system: eject it "
                          "from the desktop before removing it.");
}

} // namespace kestrel::texts
