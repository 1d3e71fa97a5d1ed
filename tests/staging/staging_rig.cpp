#include "staging_rig.h"

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
    handlers.OnBnClickedSelectHw();
    handlers.OnBnClickedSelectSw();
    handlers.OnBnClickedSelectUsb();
    ForgetRecorded();
}

void StagingRig::ForgetRecorded() {
    surface.calls.clear();
    surface.messageBoxes.clear();
    surface.progressHistory.clear();
    surface.logShown.clear();
}

} // namespace kestrel::test
