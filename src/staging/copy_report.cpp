#include "copy_report.h"

#include "signature_texts.h"
#include "staging_texts.h"

namespace kestrel {

namespace {

namespace t = staging_texts;

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
        lines += t::ChecksumMatchesLine(EnglishList(file.checksumsMatched));
    return lines + t::SignerLine(SignerText(file.signer));
}

} // namespace

QString SignerText(const FirmwareSigner& signer) {
    return signer.Signed() ? signature_texts::SignedBy(signer.keyNumber, signer.name)
                           : signature_texts::NotSigned();
}

QString CheckReportLines(const StagingPlan& plan, const StagingOutcome& outcome) {
    QString lines;
    for (int i = 0; i < plan.items.size(); ++i) {
        const QString& name = plan.items[i].sourceName;
        if (i == outcome.failedItem) {
            lines += t::RefusedLine(name, outcome.reason);
        } else if (i < outcome.verified.size()) {
            const VerifiedFile& file = outcome.verified[i];
            lines += Verification(file, t::AcceptedLine(name) +
                                            t::CheckedLine(file.size, DigestHex(file.sha256)));
        }
    }
    return lines + (outcome.succeeded ? t::AcceptedClosing() : t::RefusedClosing());
}

QString CheckFailureMessage(const StagingPlan& plan, const StagingOutcome& outcome) {
    const bool aboutItem = outcome.failedItem >= 0 && outcome.failedItem < plan.items.size();
    return t::RefusedMessage(aboutItem ? plan.items[outcome.failedItem].sourceName +
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
            lines += t::NotCopiedLine(name, outcome.reason);
            break;
        }
        if (i >= outcome.verified.size())
            continue;
        lines += t::CopiedLine(name);
        const VerifiedFile& file = outcome.verified[i];
        const QString verification =
            Verification(file, t::VerifiedLine(file.size, DigestHex(file.sha256)));
        if (layout == ReportLayout::DetailsUnderEachFile)
            lines += verification;
        else
            details += t::VerifiedFileHeading(name) + verification;
    }
    if (outcome.succeeded) {
        lines += t::SuccessClosing();
    } else {
        if (outcome.failedItem < 0)
            lines += t::GeneralFailureLine(outcome.reason);
        lines += outcome.stickChanged ? t::FailedMixedClosing() : t::FailedUnchangedClosing();
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
    return t::CopyFailedBox(what, outcome.stickChanged);
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
        return t::CheckingStatus(name, done, total);
    case StagingProgress::Phase::Copying:
        return t::CopyingStatus(name, done, total);
    case StagingProgress::Phase::Verifying:
        break;
    }
    return t::VerifyingStatus(name, done, total);
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
