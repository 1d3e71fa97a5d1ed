#pragma once

#include "cli_options.h"
#include "job_presenter.h"
#include "job_result.h"

#include <QElapsedTimer>
#include <QObject>

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
// the verdict on the two files (checksums, signature, the site's policy). Start returns at once; the work goes on while
// this thread serves its events, the events go to the sink as they happen,
// and finished tells the result, which the job keeps.
class StageJob : public QObject {
    Q_OBJECT
public:
    StageJob(CliOptions options, JobSink& sink, QObject* parent = nullptr);
    ~StageJob() override;

    // Starts the job; a second call does nothing.
    void Start();

    // The result: how the job ended, once finished has come.
    const JobResult& Result() const { return m_result; }

signals:
    // After the job's own Finished event has gone to the sink.
    void finished(const kestrel::cli::JobResult& result);

private:
    bool Verifying() const;
    void Copied(const StickCopyResult& copy);
    void Checked(const StickCopyResult& check);
    void Ejected(const StickEjectResult& eject);
    void End();

    const CliOptions m_options;
    JobPresenter m_surface;
    JobResult m_result;
    QElapsedTimer m_clock;
    bool m_started = false;
    StickCopy* m_copy = nullptr;   // a child while it runs
    StickEject* m_eject = nullptr; // a child once asked for
};

// The job's name in the output: "HWNAME + SWNAME".
QString VerifyJobName(const CliOptions& options);

} // namespace kestrel::cli
