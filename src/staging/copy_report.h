#pragma once

#include "staging_plan.h"

#include <QString>

namespace kestrel {

// What the log says after its "Copying new files to ..." line: a copied line
// and a verified line per file, then the closing lines; on failure the files
// verified before it, the line of what failed and why, and the failure's
// closing lines.
QString CopyReportLines(const StagingPlan& plan, const StagingOutcome& outcome);

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
