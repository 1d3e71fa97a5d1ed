#include "stick_copy.h"

#include "copy_report.h"
#include "file_stager.h"
#include "staging_task.h"
#include "staging_texts.h"

#include <algorithm>

namespace kestrel {

namespace {

namespace t = staging_texts;

StagingPlan PlanFor(const StickCopyRequest& request) {
    return {request.folder,
            {{request.hw.path, request.hw.name, t::HwDestinationName(), request.hw.expected},
             {request.sw.path, request.sw.name, t::SwDestinationName(), request.sw.expected}}};
}

// The verified files of a copy, in the order of the plan.
QList<StagedFile> StagedFiles(const StagingPlan& plan, const StagingOutcome& outcome) {
    QList<StagedFile> files;
    for (qsizetype i = 0; i < outcome.verified.size() && i < plan.items.size(); ++i)
        files.append({plan.items[i].sourceName, plan.items[i].finalName, outcome.verified[i]});
    return files;
}

} // namespace

StickCopyResult CopyFirmwareToStick(const StickCopyRequest& request,
                                    const StickCopyProgressSink& progress) {
    const StagingPlan plan = PlanFor(request);
    int shownPercent = 0;
    StagingTask task(plan);
    const StagingOutcome outcome = task.Run([&](const StagingProgress& step) {
        const int percent = CopyPercent(step);
        const bool rose = percent > shownPercent;
        if (rose)
            shownPercent = percent;
        progress({percent, rose, CopyStatusLine(plan, step)});
    });
    StickCopyResult result;
    result.succeeded = outcome.succeeded;
    result.folder = plan.folder;
    result.files = StagedFiles(plan, outcome);
    result.reportLines = CopyReportLines(plan, outcome, request.layout);
    if (!outcome.succeeded)
        result.failure = CopyFailureMessage(plan, outcome);
    return result;
}

StickCopyResult CheckFirmwareForStick(const StickCopyRequest& request,
                                      const StickCopyProgressSink& progress) {
    const StagingPlan plan = PlanFor(request);
    int shownPercent = 0;
    const StagingOutcome outcome = CheckStagingSources(plan, [&](const StagingProgress& step) {
        const int percent = CopyPercent(step);
        const bool rose = percent > shownPercent;
        shownPercent = std::max(shownPercent, percent);
        progress({percent, rose, CopyStatusLine(plan, step)});
    });
    StickCopyResult result;
    result.succeeded = outcome.succeeded;
    result.folder = plan.folder;
    result.files = StagedFiles(plan, outcome);
    result.reportLines = CheckReportLines(plan, outcome);
    if (!outcome.succeeded)
        result.failure = CheckFailureMessage(plan, outcome);
    return result;
}

} // namespace kestrel
