#include "stage_job.h"

#include "job_presenter.h"
#include "staging_texts.h"
#include "stick_copy.h"
#include "stick_eject.h"

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
    if (options.command == Command::Stage && !folder.isDir())
        return QStringLiteral("The folder %1 does not exist.").arg(options.folder);
    return QString();
}

// The lines of a text from the staging, one event each, as the log shows them.
void PostLines(JobPresenter& surface, const QString& text) {
    for (const QString& line : text.split(QStringLiteral("\r\n"))) {
        if (!line.trimmed().isEmpty())
            surface.PostLog(line.trimmed());
    }
}

// The SHA-256 given on the command line for a file, if any.
QList<ExpectedSha256> Given(const QByteArray& digest, const QString& option) {
    if (digest.isEmpty())
        return {};
    return {{option, digest}};
}

// Ejects the stick the copy went to: the outcome goes to the log and the
// result; a failed eject fails the command, the copy staying valid.
void EjectStick(JobPresenter& surface, const StickCopyResult& copy, JobResult& result) {
    const std::optional<StickEjectResult> eject = EjectStickAfterCopy(copy);
    if (!eject)
        return;
    const EjectOutcome& outcome = eject->outcome;
    PostLines(surface, eject->reportLines);
    result.eject = outcome.result;
    const QString detail = result.detail + QLatin1Char(' ') + outcome.message;
    if (outcome.Removable()) {
        PostLines(surface, outcome.message);
        result.Set(result.code, detail);
    } else {
        surface.PostMessage(outcome.message);
        result.Set(ResultCode::EjectFailed, detail);
    }
}

// The two files as the request of a copy: hardware, software, with the
// SHA-256s given for them.
StickCopyRequest RequestFor(const CliOptions& options) {
    const QFileInfo hw(options.hwFile);
    const QFileInfo sw(options.swFile);
    return {options.folder.isEmpty() ? QString() : QDir(options.folder).absolutePath(),
            {hw.absoluteFilePath(), hw.fileName(),
             Given(options.hwSha256, QStringLiteral("--hw-sha256"))},
            {sw.absoluteFilePath(), sw.fileName(),
             Given(options.swSha256, QStringLiteral("--sw-sha256"))}};
}

void PostFinished(JobPresenter& surface, JobResult& result, const QElapsedTimer& clock) {
    surface.PostState(JobState::Done);
    result.elapsedMs = clock.elapsed();
    JobEvent finished;
    finished.kind = JobEvent::Kind::Finished;
    finished.result = result;
    surface.Post(finished);
}

} // namespace

QString VerifyJobName(const CliOptions& options) {
    return QFileInfo(options.hwFile).fileName() + QStringLiteral(" + ") +
           QFileInfo(options.swFile).fileName();
}

JobResult RunVerifyJob(const CliOptions& options, JobSink& sink) {
    QElapsedTimer clock;
    clock.start();
    JobResult result;
    JobPresenter surface(0, sink);
    const QString problem = ProblemWith(options);
    if (!problem.isEmpty()) {
        surface.PostMessage(problem);
        result.Set(ResultCode::Refused, problem);
    } else {
        surface.PostState(JobState::Checking);
        surface.PostProgress(0);
        const StickCopyResult check =
            CheckFirmwareForStick(RequestFor(options), [&](const StickCopyProgress& progress) {
                if (progress.percentRose)
                    surface.PostProgress(progress.percent);
            });
        PostLines(surface, check.reportLines);
        result.files = check.files;
        if (check.succeeded) {
            result.Set(ResultCode::Ok,
                       QStringLiteral("%1 and %2 pass every check of a copy to a USB stick.")
                           .arg(QFileInfo(options.hwFile).fileName(),
                                QFileInfo(options.swFile).fileName()));
        } else {
            surface.PostMessage(check.failure);
            result.Set(ResultCode::Refused, check.failure);
        }
    }
    PostFinished(surface, result, clock);
    return result;
}

JobResult RunStageJob(const CliOptions& options, JobSink& sink) {
    QElapsedTimer clock;
    clock.start();
    JobResult result;
    JobPresenter surface(0, sink);
    const QString problem = ProblemWith(options);
    if (!problem.isEmpty()) {
        surface.PostMessage(problem);
        result.Set(ResultCode::CopyFailed, problem);
    } else {
        const StickCopyRequest request = RequestFor(options);
        surface.PostState(JobState::Copying);
        PostLines(surface, staging_texts::CopyingLine(request.folder));
        surface.PostProgress(0);
        const StickCopyResult copy =
            CopyFirmwareToStick(request, [&](const StickCopyProgress& progress) {
                if (progress.percentRose)
                    surface.PostProgress(progress.percent);
            });
        PostLines(surface, copy.reportLines);
        result.files = copy.files;
        surface.PostProgress(copy.succeeded ? 100 : 0);
        if (copy.succeeded) {
            result.Set(ResultCode::Ok, QStringLiteral("%1 and %2 copied to %3 and verified.")
                                           .arg(staging_texts::HwDestinationName(),
                                                staging_texts::SwDestinationName(), copy.folder));
            if (options.eject)
                EjectStick(surface, copy, result);
        } else {
            surface.PostMessage(copy.failure);
            result.Set(ResultCode::CopyFailed, copy.failure);
        }
    }
    PostFinished(surface, result, clock);
    return result;
}

} // namespace kestrel::cli
