#pragma once

#include <QString>

// The staging subsystem's own words: message boxes, report lines and the
// fixed names on the USB stick.
namespace kestrel::texts {

// Names under which the firmware is stored on the stick.
inline QString HwDestinationName() {
    return QStringLiteral("firm.rbf");
}
inline QString SwDestinationName() {
    return QStringLiteral("vx_server");
}

// Picker messages.
inline QString NoValidFile() {
    return QStringLiteral("No valid file selected");
}
inline QString NoValidFolder() {
    return QStringLiteral("No valid path file selected");
}
inline QString SelectDuringCopy() {
    return QStringLiteral("Please wait until the copy to the USB stick has finished");
}

// Copy messages.
inline QString NoFolderToCopyTo() {
    return QStringLiteral("No valid path selected to copy files");
}
inline QString SelectBothFiles() {
    return QStringLiteral("Please select HW AND SW files");
}
inline QString CopyAlreadyRunning() {
    return QStringLiteral("A copy to the USB stick is already running");
}

// Report lines.
inline QString CopyingLine(const QString& folder) {
    return QStringLiteral("Copying new files to \"") + folder + QStringLiteral("\" ...\r\n");
}
inline QString CopiedLine(const QString& name) {
    return QStringLiteral("\t=> ") + name + QStringLiteral(" copied\r\n");
}
// Names the file whose verification lines follow, when they follow the report.
inline QString VerifiedFileHeading(const QString& name) {
    return name + QStringLiteral(":\r\n");
}
inline QString VerifiedLine(qint64 bytes, const QString& sha256Hex) {
    return QStringLiteral("\t   verified: %1 bytes, SHA-256 %2\r\n")
        .arg(QString::number(bytes), sha256Hex);
}
inline QString ChecksumMatchesLine(const QString& sources) {
    return QStringLiteral("\t   checksum matches ") + sources + QStringLiteral("\r\n");
}
inline QString SignerLine(const QString& signer) {
    return QStringLiteral("\t   ") + signer + QStringLiteral("\r\n");
}
inline QString NotCopiedLine(const QString& name, const QString& reason) {
    return QStringLiteral("\t=> ") + name + QStringLiteral(" NOT copied: ") + reason +
           QStringLiteral("\r\n");
}
inline QString GeneralFailureLine(const QString& reason) {
    return QStringLiteral("\t=> ") + reason + QStringLiteral("\r\n");
}
inline QString SuccessClosing() {
    return QStringLiteral("\r\nNew files Copied successfully\r\n");
}
inline QString FailedUnchangedClosing() {
    return QStringLiteral("\r\nCopy FAILED: the files on the USB stick were left unchanged\r\n");
}
inline QString FailedMixedClosing() {
    return QStringLiteral(
        "\r\nCopy FAILED: the files on the USB stick may not belong together; copy again "
        "before using the stick\r\n");
}

// The report of the checks without a copy (kestrel-flash verify).
inline QString AcceptedLine(const QString& name) {
    return QStringLiteral("\t=> ") + name + QStringLiteral(" accepted\r\n");
}
inline QString CheckedLine(qint64 bytes, const QString& sha256Hex) {
    return QStringLiteral("\t   %1 bytes, SHA-256 %2\r\n").arg(QString::number(bytes), sha256Hex);
}
inline QString RefusedLine(const QString& name, const QString& reason) {
    return QStringLiteral("\t=> ") + name + QStringLiteral(" refused: ") + reason +
           QStringLiteral("\r\n");
}
inline QString AcceptedClosing() {
    return QStringLiteral("\r\nThe firmware files pass every check of a copy to a USB stick\r\n");
}
inline QString RefusedClosing() {
    return QStringLiteral("\r\nA copy of these firmware files to a USB stick would be refused\r\n");
}
inline QString RefusedMessage(const QString& what) {
    return QStringLiteral("A copy of the firmware files to a USB stick would be refused: ") + what +
           QStringLiteral(".");
}

// The message box after a failed copy: what failed, why, and what the stick holds.
inline QString CopyFailedBox(const QString& what, bool stickChanged) {
    return QStringLiteral("Copying the firmware files to the USB stick failed: ") + what +
           (stickChanged ? QStringLiteral(". The files on the USB stick may not belong "
                                          "together; copy again before using the stick.")
                         : QStringLiteral(". The files on the USB stick were left unchanged."));
}

// Offered after a successful copy onto a removable drive.
inline QString EjectOffer() {
    return QStringLiteral("New files Copied successfully.\n\nEject the USB stick now, so that "
                          "it can be removed safely?");
}
inline QString EjectButton() {
    return QStringLiteral("Eject");
}
inline QString KeepButton() {
    return QStringLiteral("Keep it");
}
inline QString EjectingLine() {
    return QStringLiteral("\r\nEjecting the USB stick ...\r\n");
}
inline QString EjectStepLine(const QString& step) {
    return QStringLiteral("\t=> ") + step + QStringLiteral("\r\n");
}

// The live status line after the log while a copy runs.
inline QString StatusLine(const char* doing, const QString& name, double doneMb, double totalMb) {
    return QStringLiteral("%1 %2: %3 of %4 MB\r\n")
        .arg(QLatin1String(doing), name, QString::number(doneMb, 'f', 1),
             QString::number(totalMb, 'f', 1));
}
inline QString CheckingStatus(const QString& name, double doneMb, double totalMb) {
    return StatusLine("checking", name, doneMb, totalMb);
}
inline QString CopyingStatus(const QString& name, double doneMb, double totalMb) {
    return StatusLine("copying", name, doneMb, totalMb);
}
inline QString VerifyingStatus(const QString& name, double doneMb, double totalMb) {
    return StatusLine("verifying", name, doneMb, totalMb);
}

// Reasons a copy fails; paths are shown with the platform's separators.
inline QString FolderMissing(const QString& folder) {
    return QStringLiteral("the folder \"%1\" does not exist").arg(folder);
}
inline QString NotAFolder(const QString& folder) {
    return QStringLiteral("\"%1\" is not a folder").arg(folder);
}
inline QString NotEnoughSpace(double neededMb, double freeMb) {
    return QStringLiteral("not enough free space on the USB stick: %1 MB needed, %2 MB free")
        .arg(QString::number(neededMb, 'f', 1), QString::number(freeMb, 'f', 1));
}
inline QString CannotRemoveLeftover(const QString& path, const QString& why) {
    return QStringLiteral("cannot remove the leftover \"%1\": %2").arg(path, why);
}
inline QString SourceIsLeftover(const QString& path) {
    return QStringLiteral("\"%1\" is a leftover of an interrupted copy, not a firmware file")
        .arg(path);
}
inline QString CannotOpenSource(const QString& path, const QString& why) {
    return QStringLiteral("cannot read \"%1\": %2").arg(path, why);
}
inline QString SourceIsFolder(const QString& path) {
    return QStringLiteral("\"%1\" is a folder, not a file").arg(path);
}
inline QString SourceEmpty(const QString& path) {
    return QStringLiteral("\"%1\" is empty").arg(path);
}
inline QString SourceReadFailed(const QString& path, const QString& why) {
    return QStringLiteral("reading \"%1\" failed: %2").arg(path, why);
}
inline QString SourceChanged(const QString& path) {
    return QStringLiteral("\"%1\" changed while it was being copied").arg(path);
}
inline QString ChecksumMismatch(const QString& path, const QString& actual, const QString& from,
                                const QString& expected) {
    return QStringLiteral("\"%1\" has SHA-256 %2, but %3 gives %4")
        .arg(path, actual, from, expected);
}
inline QString HashFailed(const QString& path) {
    return QStringLiteral("the SHA-256 of \"%1\" could not be computed").arg(path);
}
inline QString ChecksumFileUnreadable(const QString& path, const QString& why) {
    return QStringLiteral("cannot read the checksum file \"%1\": %2").arg(path, why);
}
inline QString ChecksumFileTooLarge(const QString& path) {
    return QStringLiteral("the checksum file \"%1\" is too large to be a list of checksums")
        .arg(path);
}
inline QString ChecksumLineMalformed(const QString& path, qsizetype line) {
    return QStringLiteral("line %1 of the checksum file \"%2\" is not a checksum line as "
                          "sha256sum writes it (64 hexadecimal digits, two spaces or a space "
                          "and *, the file name)")
        .arg(QString::number(line), path);
}
inline QString ChecksumNotListed(const QString& path, const QString& name) {
    return QStringLiteral("the checksum file \"%1\" does not list %2").arg(path, name);
}
inline QString ChecksumListedTwice(const QString& path, const QString& name, qsizetype first,
                                   qsizetype second) {
    return QStringLiteral("the checksum file \"%1\" lists %2 twice with different checksums "
                          "(lines %3 and %4)")
        .arg(path, name, QString::number(first), QString::number(second));
}
inline QString CannotCreate(const QString& path, const QString& why) {
    return QStringLiteral("cannot create \"%1\": %2").arg(path, why);
}
inline QString WriteFailed(const QString& path, const QString& why) {
    return QStringLiteral("writing \"%1\" failed: %2").arg(path, why);
}
inline QString SyncFailed(const QString& path, const QString& why) {
    return QStringLiteral("\"%1\" could not be saved onto the medium: %2").arg(path, why);
}
inline QString ReadBackFailed(const QString& path, const QString& why) {
    return QStringLiteral("reading back \"%1\" failed: %2").arg(path, why);
}
inline QString SizeMismatch(const QString& path, qint64 found, qint64 expected) {
    return QStringLiteral("\"%1\" holds %2 bytes instead of %3")
        .arg(path, QString::number(found), QString::number(expected));
}
inline QString ContentMismatch(const QString& path) {
    return QStringLiteral("\"%1\" does not match the source (SHA-256 differs)").arg(path);
}
inline QString FinalNameIsFolder(const QString& path) {
    return QStringLiteral("\"%1\" is a folder and cannot be replaced").arg(path);
}
inline QString RenameFailed(const QString& from, const QString& to, const QString& why) {
    return QStringLiteral("cannot rename \"%1\" to \"%2\": %3").arg(from, to, why);
}
inline QString FolderSyncFailed(const QString& folder, const QString& why) {
    return QStringLiteral("the folder \"%1\" could not be saved onto the medium: %2")
        .arg(folder, why);
}

} // namespace kestrel::texts
