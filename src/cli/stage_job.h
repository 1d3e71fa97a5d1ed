#pragma once

#include "command.h"
#include "job_presenter.h"

#include <QElapsedTimer>
#include <QObject>

#include <string>

namespace kestrel {
class StickCopy;
class StickEject;
struct StickCopyResult;
struct StickEjectResult;
} // namespace kestrel

namespace kestrel::cli {

// The copy onto the USB stick: the files and the folder named on the command
// line, copied and verified as the window's Copy does it, then, with
// --eject, the stick ejected. For verify, the same checks without a copy:
// the verdict on the two files (checksums, signature, the site's policy).
// The work goes on while this thread serves its events.
class StageJob : public Job {
    Q_OBJECT
public:
    // copy: stage's copy; false: verify's checks alone.
    StageJob(const JobPlan& plan, bool copy, JobSink& sink);
    ~StageJob() override;

    // Starts the job; a second call does nothing.
    void Start() override;
    // A copy is never cut off in the middle of a file: it goes on to its
    // end, and the operator is told so. A check ends on its own moments later.
    void Stop() override;

private:
    bool Verifying() const;
    void Copied(const StickCopyResult& copy);
    void Checked(const StickCopyResult& check);
    void Ejected(const StickEjectResult& eject);
    void End();
    // The copy and the eject as the production history keeps them
    // (stage_job_history.cpp).
    void HistoryCopyBegun();
    void HistoryCopyEnded(const StickCopyResult& copy);
    void HistoryEjectBegun();
    void HistoryEjectEnded(const StickEjectResult& eject);

    const JobPlan m_options;
    JobPresenter m_surface;
    JobResult m_result;
    QElapsedTimer m_clock;
    bool m_copying; // stage; false: verify
    bool m_started = false;
    bool m_stopped = false;
    StickCopy* m_copy = nullptr;   // a child while it runs
    StickEject* m_eject = nullptr; // a child once asked for
    std::string m_historyCopy;     // the operations in the history; empty: none
    std::string m_historyEject;
};

// The job's name in the output: "HWNAME + SWNAME".
QString VerifyJobName(const JobPlan& plan);

} // namespace kestrel::cli
