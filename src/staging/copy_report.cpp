#include "copy_report.h"

#include "signature_texts.h"
#include "staging_texts.h"

namespace kestrel {

namespace {

constexpr double kMegabyte = 1024.0 * 1024.0;

// "a", "a and b", "a, b and c".
QString EnglishList(const QStringList& items) {
    if (items.size() < 2)
        return items.join(QString());
    return items.mid(0, items.size() - 1).join(QStringLiteral(", ")) + QStringLiteral(" and ") +
           items.last();
}

// A file's size, SHA-256, the checksums it matched and its signer.
QString Verification(const VerifiedFile& file, const QString& firstLine) {
    QString lines = firstLine;
    if (!file.checksumsMatched.isEmpty())
        lines += texts::ChecksumMatchesLine(EnglishList(file.checksumsMatched));
    return lines + texts::SignerLine(SignerText(file.signer));
}

} // namespace

QString SignerText(const FirmwareSigner& signer) {
    return signer.Signed() ? texts::SignedBy(signer.keyNumber, signer.name) : texts::NotSigned();
}

QString CheckReportLines(const StagingPlan& plan, const StagingOutcome& outcome) {
    QString lines;
    for (int i = 0; i < plan.items.size(); ++i) {
        const QString& name = plan.items[i].sourceName;
        if (i == outcome.failedItem) {
            lines += texts::RefusedLine(name, outcome.reason);
        } else if (i < outcome.verified.size()) {
            const VerifiedFile& file = outcome.verified[i];
            lines += Verification(file, texts::AcceptedLine(name) +
                                            texts::CheckedLine(file.size, DigestHex(file.sha256)));
        }
    }
    return lines + (outcome.succeeded ? texts::AcceptedClosing() : texts::RefusedClosing());
}

QString CheckFailureMessage(const StagingPlan& plan, const StagingOutcome& outcome) {
    const bool aboutItem = outcome.failedItem >= 0 && outcome.failedItem < plan.items.size();
    return texts::RefusedMessage(aboutItem ? plan.items[outcome.failedItem].sourceName +
                                                 QStringLiteral(": ") + outcome.reason
                                           : outcome.reason);
}

QString CopyReportLines(const StagingPlan& plan, const StagingOutcome& outcome,
                        ReportLayout layout) {
    QString lines;
    QString details; // the verification, when it comes after the report
    for (int i = 0; i < plan.items.size(); ++i) {
        const QString& name = plan.items[i].sourceName;
        if (i == outcome.failedItem) {
            lines += texts::NotCopiedLine(name, outcome.reason);
            break;
        }
        if (i >= outcome.verified.size())
            continue;
        lines += texts::CopiedLine(name);
        const VerifiedFile& file = outcome.verified[i];
        const QString verification =
            Verification(file, texts::VerifiedLine(file.size, DigestHex(file.sha256)));
        if (layout == ReportLayout::DetailsUnderEachFile)
            lines += verification;
        else
            details += texts::VerifiedFileHeading(name) + verification;
    }
    if (outcome.succeeded) {
        lines += texts::SuccessClosing();
    } else {
        if (outcome.failedItem < 0)
            lines += texts::GeneralFailureLine(outcome.reason);
        lines +=
            outcome.stickChanged ? texts::FailedMixedClosing() : texts::FailedUnchangedClosing();
    }
    if (!details.isEmpty())
        lines += QStringLiteral("\r\n") + details;
    return lines;
}

QString CopyFailureMessage(const StagingPlan& plan, const StagingOutcome& outcome) {
    const bool aboutItem = outcome.failedItem >= 0 && outcome.failedItem < plan.items.size();
    const QString what = aboutItem ? plan.items[outcome.failedItem].sourceName +
                                         QStringLiteral(": ") + outcome.reason
                                   : outcome.reason;
    return texts::CopyFailedBox(what, outcome.stickChanged);
}

QString CopyStatusLine(const StagingPlan& plan, const StagingProgress& progress) {
    if (progress.item < 0 || progress.item >= plan.items.size())
        return {};
    const StagingItem& item = plan.items[progress.item];
    const QString& name =
        progress.phase == StagingProgress::Phase::Checking ? item.sourceName : item.finalName;
    const double done = progress.itemDone / kMegabyte;
    const double total = progress.itemSize / kMegabyte;
    switch (progress.phase) {
    case StagingProgress::Phase::Checking:
        return texts::CheckingStatus(name, done, total);
    case StagingProgress::Phase::Copying:
        return texts::CopyingStatus(name, done, total);
    case StagingProgress::Phase::Verifying:
        break;
    }
    return texts::VerifyingStatus(name, done, total);
}

int CopyPercent(const StagingProgress& progress) {
    if (progress.overallTotal <= 0)
        return 0;
    const qint64 done = qBound<qint64>(0, progress.overallDone, progress.overallTotal);
    return static_cast<int>((done * 100 + progress.overallTotal - 1) / progress.overallTotal);
}

QString DigestHex(const QByteArray& digest) {
    return QString::fromLatin1(digest.toHex());
}

} // namespace kestrel
