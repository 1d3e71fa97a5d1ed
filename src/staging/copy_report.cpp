#include "copy_report.h"

#include "staging_texts.h"

namespace kestrel {

namespace {

namespace t = staging_texts;

constexpr double kMegabyte = 1024.0 * 1024.0;

} // namespace

QString CopyReportLines(const StagingPlan& plan, const StagingOutcome& outcome) {
    QString lines;
    for (int i = 0; i < plan.items.size(); ++i) {
        const QString& name = plan.items[i].sourceName;
        if (i == outcome.failedItem) {
            lines += t::NotCopiedLine(name, outcome.reason);
            break;
        }
        if (i >= outcome.verified.size())
            continue;
        lines += t::CopiedLine(name);
        lines += t::VerifiedLine(outcome.verified[i].size, ShortHash(outcome.verified[i].sha256));
    }
    if (outcome.succeeded)
        return lines + t::SuccessClosing();
    if (outcome.failedItem < 0)
        lines += t::GeneralFailureLine(outcome.reason);
    return lines + (outcome.stickChanged ? t::FailedMixedClosing() : t::FailedUnchangedClosing());
}

QString CopyFailureMessage(const StagingPlan& plan, const StagingOutcome& outcome) {
    const bool aboutItem = outcome.failedItem >= 0 && outcome.failedItem < plan.items.size();
    const QString what = aboutItem ? plan.items[outcome.failedItem].sourceName +
                                         QStringLiteral(": ") + outcome.reason
                                   : outcome.reason;
    return t::CopyFailedBox(what, outcome.stickChanged);
}

QString CopyStatusLine(const StagingPlan& plan, const StagingProgress& progress) {
    if (progress.item < 0 || progress.item >= plan.items.size())
        return {};
    const QString& name = plan.items[progress.item].finalName;
    const double done = progress.itemDone / kMegabyte;
    const double total = progress.itemSize / kMegabyte;
    return progress.phase == StagingProgress::Phase::Copying
               ? t::CopyingStatus(name, done, total)
               : t::VerifyingStatus(name, done, total);
}

int CopyPercent(const StagingProgress& progress) {
    if (progress.overallTotal <= 0)
        return 0;
    const qint64 done = qBound<qint64>(0, progress.overallDone, progress.overallTotal);
    return static_cast<int>((done * 100 + progress.overallTotal - 1) / progress.overallTotal);
}

QString ShortHash(const QByteArray& digest) {
    return QString::fromLatin1(digest.toHex().left(16));
}

} // namespace kestrel
