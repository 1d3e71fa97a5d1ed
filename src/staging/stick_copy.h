#pragma once

#include "copy_report.h"
#include "stick_copy_result.h"

#include <QObject>

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

class StagingTask;

// Copies the hardware file to "firm.rbf" and the software file to
// "vx_server" in the folder, verified, all or nothing: the one copy onto the
// stick that both faces make. The work runs off the thread the copy lives
// in; progress and the end are told by signals in that thread.
//
// Checking only, it makes the checks that the copy makes before the stick is
// touched, without copying: each file read and checked against its checksums
// and their signature under what the site trusts. `files` then holds the files
// that passed (storedAs: the name they would have), `reportLines` what
// CheckReportLines says, `failure` why the copy would be refused.
class StickCopy : public QObject {
    Q_OBJECT
public:
    enum class Mode { Copy, CheckOnly };

    explicit StickCopy(StickCopyRequest request, Mode mode = Mode::Copy,
                       QObject* parent = nullptr);
    // A copy still running is finished first (see StagingTask); its end is
    // not told.
    ~StickCopy() override;

    // Starts the copy; a second call does nothing.
    void Start();

signals:
    // At most about 20 times a second.
    void progressed(const kestrel::StickCopyProgress& progress);
    // The copy has ended; told once.
    void finished(const kestrel::StickCopyResult& result);

private:
    void TellProgress(const StagingProgress& step);
    void TellEnd(const StagingOutcome& outcome);

    const StickCopyRequest m_request;
    const StagingPlan m_plan;
    const Mode m_mode;
    StagingTask* m_task; // a child
    int m_shownPercent = 0;
};


} // namespace kestrel
