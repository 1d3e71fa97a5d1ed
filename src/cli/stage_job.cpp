#include "stage_job.h"

#include "staging_texts.h"
#include "stick_copy.h"
#include "stick_eject.h"

#include <QDir>
#include <QFileInfo>
#include <QMetaObject>

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

} // namespace

StageJob::StageJob(CliOptions options, JobSink& sink, QObject* parent)
    : QObject(parent), m_options(std::move(options)), m_surface(0, sink) {}

StageJob::~StageJob() = default;

void StageJob::Start() {
    if (m_started)
        return;
    m_started = true;
    m_clock.start();
    const QString problem = ProblemWith(m_options);
    if (!problem.isEmpty()) {
        m_surface.PostMessage(problem);
        m_result.Set(ResultCode::CopyFailed, problem);
        // Told from the events, as every other end: never inside Start.
        QMetaObject::invokeMethod(this, &StageJob::End, Qt::QueuedConnection);
        return;
    }
    const QFileInfo hw(m_options.hwFile);
    const QFileInfo sw(m_options.swFile);
    StickCopyRequest request{QDir(m_options.folder).absolutePath(),
                             {hw.absoluteFilePath(), hw.fileName(),
                              Given(m_options.hwSha256, QStringLiteral("--hw-sha256"))},
                             {sw.absoluteFilePath(), sw.fileName(),
                              Given(m_options.swSha256, QStringLiteral("--sw-sha256"))}};
    m_surface.PostState(JobState::Copying);
    PostLines(m_surface, staging_texts::CopyingLine(request.folder));
    m_surface.PostProgress(0);
    m_copy = new StickCopy(std::move(request), this);
    connect(m_copy, &StickCopy::progressed, this, [this](const StickCopyProgress& progress) {
        if (progress.percentRose)
            m_surface.PostProgress(progress.percent);
    });
    connect(m_copy, &StickCopy::finished, this, &StageJob::Copied);
    m_copy->Start();
}

void StageJob::Copied(const StickCopyResult& copy) {
    m_copy->deleteLater();
    m_copy = nullptr;
    PostLines(m_surface, copy.reportLines);
    m_result.files = copy.files;
    m_surface.PostProgress(copy.succeeded ? 100 : 0);
    if (!copy.succeeded) {
        m_surface.PostMessage(copy.failure);
        m_result.Set(ResultCode::CopyFailed, copy.failure);
        return End();
    }
    m_result.Set(ResultCode::Ok, QStringLiteral("%1 and %2 copied to %3 and verified.")
                                     .arg(staging_texts::HwDestinationName(),
                                          staging_texts::SwDestinationName(), copy.folder));
    if (!m_options.eject)
        return End();
    m_eject = new StickEject(this);
    connect(m_eject, &StickEject::ended, this, &StageJob::Ejected);
    m_eject->Eject(copy);
}

// The eject's outcome goes to the log and the result; a failed eject fails
// the command, the copy staying valid.
void StageJob::Ejected(const StickEjectResult& eject) {
    const EjectOutcome& outcome = eject.outcome;
    PostLines(m_surface, eject.reportLines);
    m_result.eject = outcome.result;
    const QString detail = m_result.detail + QLatin1Char(' ') + outcome.message;
    if (outcome.Removable()) {
        PostLines(m_surface, outcome.message);
        m_result.Set(m_result.code, detail);
    } else {
        m_surface.PostMessage(outcome.message);
        m_result.Set(ResultCode::EjectFailed, detail);
    }
    End();
}

void StageJob::End() {
    m_surface.PostState(JobState::Done);
    m_result.elapsedMs = m_clock.elapsed();
    JobEvent finishedEvent;
    finishedEvent.kind = JobEvent::Kind::Finished;
    finishedEvent.result = m_result;
    m_surface.Post(finishedEvent);
    emit finished(m_result);
}

} // namespace kestrel::cli
