#include "stick_copy.h"

#include "copy_report.h"
#include "file_stager.h"
#include "staging_task.h"
#include "staging_texts.h"

namespace kestrel {

namespace {

StagingPlan PlanFor(const StickCopyRequest& request) {
    return {request.folder,
            {{request.hw.path, request.hw.name, texts::HwDestinationName(), request.hw.expected},
             {request.sw.path, request.sw.name, texts::SwDestinationName(), request.sw.expected}}};
}

// The verified files of a copy, in the order of the plan.
QList<StagedFile> StagedFiles(const StagingPlan& plan, const StagingOutcome& outcome) {
    QList<StagedFile> files;
    for (qsizetype i = 0; i < outcome.verified.size() && i < plan.items.size(); ++i)
        files.append({plan.items[i].sourceName, plan.items[i].finalName, outcome.verified[i]});
    return files;
}

} // namespace

StickCopy::StickCopy(StickCopyRequest request, Mode mode, QObject* parent)
    : QObject(parent), m_request(std::move(request)), m_plan(PlanFor(m_request)), m_mode(mode),
      m_task(new StagingTask(m_plan,
                             mode == Mode::Copy ? StagingTask::Work::Copy
                                                : StagingTask::Work::CheckOnly,
                             this)) {
    connect(m_task, &StagingTask::progressed, this, &StickCopy::TellProgress);
    connect(m_task, &StagingTask::finished, this, &StickCopy::TellEnd);
}

StickCopy::~StickCopy() = default;

void StickCopy::Start() {
    m_task->Start();
}

void StickCopy::TellProgress(const StagingProgress& step) {
    const int percent = CopyPercent(step);
    const bool rose = percent > m_shownPercent;
    if (rose)
        m_shownPercent = percent;
    emit progressed({percent, rose, CopyStatusLine(m_plan, step)});
}

void StickCopy::TellEnd(const StagingOutcome& outcome) {
    StickCopyResult result;
    result.succeeded = outcome.succeeded;
    result.folder = m_plan.folder;
    result.files = StagedFiles(m_plan, outcome);
    result.stickChanged = m_mode == Mode::Copy && (outcome.succeeded || outcome.stickChanged);
    const bool copy = m_mode == Mode::Copy;
    result.reportLines = copy ? CopyReportLines(m_plan, outcome, m_request.layout)
                              : CheckReportLines(m_plan, outcome);
    if (!outcome.succeeded)
        result.failure = copy ? CopyFailureMessage(m_plan, outcome)
                              : CheckFailureMessage(m_plan, outcome);
    emit finished(result);
}

} // namespace kestrel
