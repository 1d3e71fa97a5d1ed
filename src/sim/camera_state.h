#pragma once

#include "hw_version.h"
#include "programming_run.h"
#include "sim_options.h"

#include <QByteArray>
#include <QElapsedTimer>
#include <QObject>
#include <QTimer>

#include <optional>

namespace kestrel::sim {

// What all connections to one camera share: its hardware firmware version and
// the programming run, if one is going on. The run's figures are worked out
// from the time elapsed since it started; a timer only wakes the state at
// each phase change so that the change is reported when it happens.
class CameraState : public QObject {
    Q_OBJECT

public:
    explicit CameraState(const SimOptions& options, QObject* parent = nullptr);

    // Starts a run, unless one is going on. skipStartDelay: the run begins
    // right with its erase phase. True when this call started a run.
    bool StartRun(bool skipStartDelay = false);

    // True from StartRun until the run has finished or been aborted.
    bool RunGoingOn();

    // The answer to CAM_FIRMWAREUPDATE 1 now.
    QByteArray StatusReply();

    // The hardware firmware version now: the new one once a run has finished.
    HwVersion Version();

    // The camera has lost power: a run going on is gone and the version stays
    // as it was. A run whose time was up by now has finished first.
    void LosePower();

signals:
    // The run has entered a phase; text says which, for the operator.
    void RunPhaseChanged(const QString& text);
    // A run has finished (not aborted), right after its RunPhaseChanged.
    void RunFinished();

private:
    void Refresh();

    RunPlan plan_;
    RunPlan activePlan_;
    HwVersion version_;
    HwVersion newVersion_;
    QElapsedTimer clock_;
    QTimer phaseTimer_;
    std::optional<RunState> run_; // set while a run is going on
};

} // namespace kestrel::sim
