#include "stage_job.h"

#include "dialog_state.h"
#include "job_surface.h"
#include "staging_handlers.h"
#include "staging_texts.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFileInfo>

namespace kestrel::cli {

namespace {

// What is wrong with the operator's choice of files and folder, or nothing.
QString ProblemWith(const CliOptions& options) {
    const QFileInfo hw(options.hwFile);
    const QFileInfo sw(options.swFile);
    const QFileInfo folder(options.folder);
    if (!hw.isFile())
        return QStringLiteral("The hardware firmware file %1 does not exist or is not a file.")
            .arg(options.hwFile);
    if (!sw.isFile())
        return QStringLiteral("The software firmware file %1 does not exist or is not a file.")
            .arg(options.swFile);
    if (!folder.isDir())
        return QStringLiteral("The folder %1 does not exist.").arg(options.folder);
    return QString();
}

} // namespace

JobResult RunStageJob(const CliOptions& options, JobSink& sink) {
    QElapsedTimer clock;
    clock.start();
    JobResult result;
    JobSurface surface(0, options.folder, sink);
    const QString problem = ProblemWith(options);
    if (!problem.isEmpty()) {
        surface.ShowMessageBox(problem);
        result.Set(false, QStringLiteral("copy-failed"), problem);
    } else {
        DialogState state;
        StagingHandlers staging(state, surface);
        surface.SetChooserAnswers({QFileInfo(options.hwFile).absoluteFilePath(),
                                   QFileInfo(options.swFile).absoluteFilePath(),
                                   QDir(options.folder).absolutePath()});
        staging.OnBnClickedSelectHw();
        staging.OnBnClickedSelectSw();
        staging.OnBnClickedSelectUsb();
        surface.PostState(JobState::Copying);
        if (staging.OnBnClickedCopyToUsb())
            result.Set(true, QStringLiteral("ok"),
                       QStringLiteral("%1 and %2 copied to %3 and verified.")
                           .arg(staging_texts::HwDestinationName(),
                                staging_texts::SwDestinationName(), state.m_strUsbPath));
        else
            result.Set(false, QStringLiteral("copy-failed"), surface.LastMessage());
    }
    surface.PostState(JobState::Done);
    result.elapsedMs = clock.elapsed();
    JobEvent finished;
    finished.kind = JobEvent::Kind::Finished;
    finished.result = result;
    surface.Post(finished);
    return result;
}

} // namespace kestrel::cli
