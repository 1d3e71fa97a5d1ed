#include "staging_rig.h"

#include <QCryptographicHash>
#include <QDir>
#include <QSignalSpy>

namespace kestrel::test {

void HookedSurface::ShowTextWithCaret(Pane pane, const QString& text, qsizetype caretPos) {
    RecordingSurface::ShowTextWithCaret(pane, text, caretPos);
    if (pane != Pane::Log)
        return;
    logShown << text;
    if (onLogShown)
        onLogShown(text, caretPos);
}

StagingRig::StagingRig() {
    QDir(root.path()).mkpath(QStringLiteral("sources"));
    QDir(root.path()).mkpath(QStringLiteral("stick"));
}

QString StagingRig::SourcePath(const QString& name) const {
    return root.filePath(QStringLiteral("sources/") + name);
}

QString StagingRig::StickPath() const {
    return root.filePath(QStringLiteral("stick"));
}

QString StagingRig::StickFile(const QString& name) const {
    return StickPath() + QLatin1Char('/') + name;
}

void StagingRig::Choose(const QString& hwPath, const QString& swPath, const QString& folder) {
    surface.fileAnswers << hwPath << swPath;
    surface.folderAnswers << folder;
    staging.ChooseHwFile();
    staging.ChooseSwFile();
    staging.ChooseStickFolder();
    ForgetRecorded();
}

bool StagingRig::Copy() {
    QSignalSpy copied(&staging, &FirmwareStaging::copyEnded);
    QSignalSpy ended(&staging, &FirmwareStaging::workEnded);
    staging.CopyToStick();
    if (!staging.CopyRunning())
        return false; // refused, with a message
    constexpr int kCopyWaitMs = 60000;
    return ended.wait(kCopyWaitMs) && copied.size() == 1 &&
           copied.first().first().value<StickCopyResult>().succeeded;
}

void StagingRig::ForgetRecorded() {
    surface.calls.clear();
    surface.messageBoxes.clear();
    surface.progressHistory.clear();
    surface.logShown.clear();
}

const QString kUnchanged =
    QStringLiteral("\r\nCopy FAILED: the files on the USB stick were left unchanged\r\n");

QString CopyingLine(const QString& folder) {
    return "Copying new files to \"" + folder + "\" ...\r\n";
}

QString Report(const QString& folder, const QList<CopiedFile>& copied, const QString& rest) {
    QString lines = CopyingLine(folder);
    QString details;
    for (const CopiedFile& file : copied) {
        const QByteArray hash = QCryptographicHash::hash(file.content, QCryptographicHash::Sha256);
        lines += "\t=> " + file.name + " copied\r\n";
        details += file.name + ":\r\n\t   verified: " + QString::number(file.content.size()) +
                   " bytes, SHA-256 " + QString::fromLatin1(hash.toHex()) + "\r\n";
        if (!file.matched.isEmpty())
            details += "\t   checksum matches " + file.matched + "\r\n";
        details += "\t   " + file.signer + "\r\n";
    }
    return lines + rest + (details.isEmpty() ? QString() : "\r\n" + details);
}

QString FailureBox(const QString& what) {
    return "Copying the firmware files to the USB stick failed: " + what +
           ". The files on the USB stick were left unchanged.";
}

} // namespace kestrel::test
