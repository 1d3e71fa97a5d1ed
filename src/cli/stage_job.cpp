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
QString ProblemWith(const JobPlan& options, bool copy) {
    const QFileInfo hw(options.hwFile);
    const QFileInfo sw(options.swFile);
    const QFileInfo folder(options.folder);
    if (!hw.isFile())
        return QStringLiteral("The hardware firmware file %1 does not exist or is not a file.")
            .arg(options.hwFile);
    if (!sw.isFile())
        return QStringLiteral("The software firmware file %1 does not exist or is not a file.")
            .arg(options.swFile);
    if (copy && !folder.isDir())
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

// The two files as the request of a copy: hardware, software, with the
// SHA-256s given for them.
StickCopyRequest RequestFor(const JobPlan& options) {
    const QFileInfo hw(options.hwFile);
    const QFileInfo sw(options.swFile);
    return {options.folder.isEmpty() ? QString() : QDir(options.folder).absolutePath(),
            {hw.absoluteFilePath(), hw.fileName(),
             Given(options.hwSha256, QStringLiteral("--hw-sha256"))},
            {sw.absoluteFilePath(), sw.fileName(),
             Given(options.swSha256, QStringLiteral("--sw-sha256"))}};
}

} // namespace

QString VerifyJobName(const JobPlan& options) {
    return QFileInfo(options.hwFile).fileName() + QStringLiteral(" + ") +
           QFileInfo(options.swFile).fileName();
}

StageJob::StageJob(const JobPlan& plan, bool copy, JobSink& sink)
    : m_options(plan), m_surface(0, sink), m_copying(copy) {}

StageJob::~StageJob() = default;

bool StageJob::Verifying() const {
    return !m_copying;
}

void StageJob::Stop() {
    if (m_stopped || Verifying())
        return;
    m_stopped = true;
    m_surface.PostMessage(QStringLiteral("The copy goes on to its end, so that no file on the "
                                         "stick is left half-written."));
}

void StageJob::Start() {
    if (m_started)
        return;
    m_started = true;
    m_clock.start();
    const QString problem = ProblemWith(m_options, m_copying);
    if (!problem.isEmpty()) {
        m_surface.PostMessage(problem);
        m_result.Set(Verifying() ? ResultCode::Refused : ResultCode::CopyFailed, problem);
        // Told from the events, as every other end: never inside Start.
        QMetaObject::invokeMethod(this, &StageJob::End, Qt::QueuedConnection);
        return;
    }
    StickCopyRequest request = RequestFor(m_options);
    if (Verifying()) {
        m_surface.PostState(JobState::Checking);
    } else {
        m_surface.PostState(JobState::Copying);
        PostLines(m_surface, texts::CopyingLine(request.folder));
    }
    m_surface.PostProgress(0);
    m_copy = new StickCopy(std::move(request),
                           Verifying() ? StickCopy::Mode::CheckOnly : StickCopy::Mode::Copy, this);
    connect(m_copy, &StickCopy::progressed, this, [this](const StickCopyProgress& progress) {
        if (progress.percentRose)
            m_surface.PostProgress(progress.percent);
    });
    connect(m_copy, &StickCopy::finished, this, &StageJob::Copied);
    if (!Verifying())
        HistoryCopyBegun();
    m_copy->Start();
}

void StageJob::Copied(const StickCopyResult& copy) {
    m_copy->deleteLater();
    m_copy = nullptr;
    PostLines(m_surface, copy.reportLines);
    m_result.files = copy.files;
    if (Verifying())
        return Checked(copy);
    HistoryCopyEnded(copy);
    m_surface.PostProgress(copy.succeeded ? 100 : 0);
    if (!copy.succeeded) {
        m_surface.PostMessage(copy.failure);
        m_result.Set(ResultCode::CopyFailed, copy.failure);
        return End();
    }
    m_result.Set(ResultCode::Ok, QStringLiteral("%1 and %2 copied to %3 and verified.")
                                     .arg(texts::HwDestinationName(),
                                          texts::SwDestinationName(), copy.folder));
    if (!m_options.eject)
        return End();
    m_eject = new StickEject(this);
    connect(m_eject, &StickEject::ended, this, &StageJob::Ejected);
    HistoryEjectBegun();
    m_eject->Eject(copy);
}

void StageJob::Checked(const StickCopyResult& check) {
    if (check.succeeded) {
        m_result.Set(ResultCode::Ok,
                     QStringLiteral("%1 and %2 pass every check of a copy to a USB stick.")
                         .arg(QFileInfo(m_options.hwFile).fileName(),
                              QFileInfo(m_options.swFile).fileName()));
    } else {
        m_surface.PostMessage(check.failure);
        m_result.Set(ResultCode::Refused, check.failure);
    }
    End();
}

// The eject's outcome goes to the log and the result; a failed eject fails
// the command, the copy staying valid.
void StageJob::Ejected(const StickEjectResult& eject) {
    HistoryEjectEnded(eject);
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
}

} // namespace kestrel::cli
