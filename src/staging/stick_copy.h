#pragma once

#include "copy_report.h"
#include "stick_copy_result.h"

#include <functional>

namespace kestrel {

// One firmware file the operator wants on the stick.
struct FirmwareSource {
    QString path; // the file as chosen
    QString name; // its name, as the report shows it
    // SHA-256s the operator gave for it; the checksum files beside it are
    // read when the copy starts and must agree as well.
    QList<ExpectedSha256> expected{};
};

// The hardware and the software firmware, for one folder on the stick.
struct StickCopyRequest {
    QString folder; // as the report shows it
    FirmwareSource hw;
    FirmwareSource sw;
    // Where each file's verification goes in the report.
    ReportLayout layout = ReportLayout::DetailsUnderEachFile;
};

// How far a running copy is, as both faces show it.
struct StickCopyProgress {
    int percent = 0;          // of the whole copy, rounded up
    bool percentRose = false; // above every percent told before (the start counts as 0)
    QString statusLine;       // e.g. "copying firm.rbf: 12.0 of 64.0 MB\r\n"
};

using StickCopyProgressSink = std::function<void(const StickCopyProgress&)>;

// Copies the hardware file to "firm.rbf" and the software file to
// "vx_server" in the folder, verified, all or nothing. The copy runs on a
// worker thread while this thread serves events, so handlers may run
// meanwhile; the sink is told on this thread, at most about 20 times a
// second. Returns once the copy has ended.
StickCopyResult CopyFirmwareToStick(const StickCopyRequest& request,
                                    const StickCopyProgressSink& progress);

// The checks that CopyFirmwareToStick makes before the stick is touched,
// without copying: each file read and checked against its checksums and
// their signature under what the site trusts. Runs in the calling thread and
// blocks until done. `files` holds the files that passed (storedAs: the name
// they would have), `reportLines` what CheckReportLines says, `failure` why
// the copy would be refused. The sink is told how far the reading is, in
// this thread or another, one call at a time.
StickCopyResult CheckFirmwareForStick(const StickCopyRequest& request,
                                      const StickCopyProgressSink& progress);

} // namespace kestrel
