#pragma once

#include "camera.h"
#include "camera_address.h"
#include "command.h"
#include "job_presenter.h"
#include "log_book.h"
#include "pending_check.h"
#include "power_cycle_watch.h"
#include "session_events.h"

#include <QElapsedTimer>
#include <QObject>
#include <QTimer>

#include <memory>
#include <string>

namespace kestrel::cli {

class ConversationTap;

// One camera's work for info, update, watch or plan, start to end:
// connect, read the information, follow or start the programming run with
// the same code the window uses, optionally wait for the power cycle, then
// say goodbye. A state machine on the camera's signals. What happens is
// noted as facts; the result is decided from them once, at the end.
class CameraJob : public Job {
    Q_OBJECT
public:
    CameraJob(int job, CameraAddress address, const JobPlan& plan, JobSink& sink);
    ~CameraJob() override;

    void Start() override;
    // The operator asked to stop (Ctrl-C): every wait ends at once, the
    // connection is closed without a word to the camera and the job ends.
    void Stop() override;

private:
    // The camera's words about its run become log lines and states.
    void FollowRunSignals();
    void OnConnectEnded(bool connected);
    // update, plan with a target and without --reinstall: whether an earlier
    // run programmed the camera and it waits for its power cycle, asked of
    // the history before anything is started.
    bool AsksHistory() const;
    void AskHistory();
    void OnHistoryAnswer(const PendingCheck::Answer& answer);
    // With the camera's information (and the history's answer): follows or
    // starts its run, or ends the job.
    void Proceed();
    // Starts or watches the run; then reads the camera again or waits for
    // its power cycle.
    void FollowRun();
    void OnRunEnded(RunOutcome outcome, const QString& message);
    void ReadAfterRun();
    void ConfirmPowerCycle();
    void OnPowerCycle(const PowerCycleResult& cycle);
    // The sentence that tells the operator why the job ended so.
    QString Detail(const JobVerdict& verdict) const;
    // A verdict's sentence as a log line when it is a success, else as a
    // message.
    void Tell(const JobVerdict& verdict);
    // The run and the power-cycle verdict as the production history keeps
    // them (camera_job_history.cpp): the run begins when it is announced (or,
    // cut short before, when it ends) and ends with the job's result.
    void HistoryRunBegun(bool alreadyRunning);
    void HistoryRunCutShort(RunOutcome outcome);
    void HistoryRunEnded(ResultCode result);
    void HistoryPowerCycle(const PowerCycleResult& cycle, ResultCode verdict);
    // Says goodbye, then ends the job.
    void Finish();
    void End();

    int m_job;
    CameraAddress m_address;
    JobPlan m_plan;
    std::unique_ptr<ConversationTap> m_tap;
    JobPresenter m_surface;
    LogBook m_log; // the window's log of this camera, shown nowhere
    SessionEvents m_events;
    Camera m_camera;
    std::unique_ptr<PowerCycleWatch> m_watch;
    QTimer m_pause; // before the information is read again after a run
    QElapsedTimer m_clock;
    JobResult m_result; // decided at the end; the identities on the way
    JobFacts m_facts;   // its versions are views of the strings below
    std::string m_hardwareBefore;
    std::string m_hardwareAfter;
    std::string m_target;
    QString m_refusal;     // what the operator was told of a connect that failed
    QString m_runMessage;  // what the run said at its end
    QString m_cycleDetail; // what the wait for the power cycle said
    PendingCheck m_pendingCheck;
    QString m_pendingText; // when and where the camera was programmed
    bool m_following = false;
    bool m_reading = false;
    bool m_askingHistory = false; // waiting for the history's answer
    bool m_ending = false;
    bool m_ended = false;
    bool m_stopped = false;
    JobEvent m_lastFigures;
    std::string m_historyRun; // the run's operation in the history; empty: none
};

} // namespace kestrel::cli
