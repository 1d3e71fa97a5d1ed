#pragma once

#include "camera.h"
#include "camera_address.h"
#include "job_plan.h"
#include "job_presenter.h"
#include "job_sink.h"
#include "log_book.h"
#include "power_cycle_watch.h"
#include "session_events.h"

#include <QElapsedTimer>
#include <QObject>
#include <QTimer>

#include <memory>

namespace kestrel::cli {

class ConversationTap;

// One camera's work for info, update or watch, start to end: connect, read
// the information, follow or start the programming run with the same code
// the window uses, optionally wait for the power cycle, then say goodbye. A
// state machine on the camera's signals, in the thread that builds it; the
// events go to the sink as they happen, and finished() tells the result.
class CameraJob : public QObject {
    Q_OBJECT
public:
    CameraJob(int job, CameraAddress address, JobPlan plan, JobSink& sink);
    ~CameraJob() override;

    void Start();
    // The operator asked to stop (Ctrl-C): every wait ends at once, the
    // connection is closed without a word to the camera and the job ends.
    void Stop();

signals:
    void finished(int job, const kestrel::cli::JobResult& result);

private:
    void OnConnectEnded(bool connected);
    // Starts or watches the run; then reads the camera again or waits for
    // its power cycle.
    void FollowRun(bool watch);
    void OnRunEnded(RunOutcome outcome, const QString& message);
    void ReadAfterRun();
    void ConfirmPowerCycle();
    void OnPowerCycle(const PowerCycleResult& cycle);
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
    JobResult m_result;
    QString m_refusal; // what the operator was told of a connect that failed
    bool m_following = false;
    bool m_reading = false;
    bool m_ending = false;
    bool m_ended = false;
    bool m_stopped = false;
    JobEvent m_lastFigures;
};

} // namespace kestrel::cli
