#pragma once

#include "staging_plan.h"

#include <QString>

namespace kestrel {

// Where each file's verification (size, SHA-256, matched checksums) goes: under
// its copied line, or after the closing lines, so that a pane that shows the
// report from its top shows the report's own lines first.
enum class ReportLayout { DetailsUnderEachFile, DetailsAfterReport };

// What the log says after its "Copying new files to ..." line: a copied line
// per file, then the closing lines; on failure the files verified before it,
// the line of what failed and why, and the failure's closing lines. Each
// copied file's verification goes where the layout puts it.
QString CopyReportLines(const StagingPlan& plan, const StagingOutcome& outcome,
                        ReportLayout layout);

// What a file's signature says for the operator: "signed by key
// 1a2b3c4d5e6f7a8b (maker release key)", or "not signed".
QString SignerText(const FirmwareSigner& signer);

// The report of the checks alone (kestrel-flash verify): per file whether it
// is accepted, with its size, SHA-256, matched checksums and signer, or why
// it is refused; then the closing lines.
QString CheckReportLines(const StagingPlan& plan, const StagingOutcome& outcome);
// The one sentence after refused checks.
QString CheckFailureMessage(const StagingPlan& plan, const StagingOutcome& outcome);

// The message box after a failed copy.
QString CopyFailureMessage(const StagingPlan& plan, const StagingOutcome& outcome);

// The live line shown after the log while a copy runs, e.g.
// "copying firm.rbf: 12.0 of 64.0 MB\r\n".
QString CopyStatusLine(const StagingPlan& plan, const StagingProgress& progress);

// How far the copy is, 0 to 100, rounded up.
int CopyPercent(const StagingProgress& progress);

// A digest as the log shows it: all its hexadecimal digits, lower case.
QString DigestHex(const QByteArray& digest);

} // namespace kestrel
