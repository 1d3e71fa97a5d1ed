#include "staging_rig.h"

#include <QCryptographicHash>
#include <QDir>

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

QString CopiedLines(const QString& name, const QByteArray& content) {
    const QByteArray hash = QCryptographicHash::hash(content, QCryptographicHash::Sha256);
    return "\t=> " + name + " copied\r\n" + "\t   verified: " + QString::number(content.size()) +
           " bytes, SHA-256 " + QString::fromLatin1(hash.toHex()) + "\r\n";
}

QString FailureBox(const QString& what) {
    return "Copying the firmware files to the USB stick failed: " + what +
           ". The files on the USB stick were left unchanged.";
}

} // namespace kestrel::test
