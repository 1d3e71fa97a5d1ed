#include "camera_state.h"

#include <algorithm>

namespace kestrel::sim {

CameraState::CameraState(const SimOptions& options, QObject* parent)
    : QObject(parent), plan_(RunPlan::From(options)), version_(options.hwVersion),
      newVersion_(options.newHwVersion), phaseTimer_(this) {
    phaseTimer_.setSingleShot(true);
    phaseTimer_.setTimerType(Qt::PreciseTimer);
    connect(&phaseTimer_, &QTimer::timeout, this, &CameraState::Refresh);
}

bool CameraState::StartRun(bool skipStartDelay) {
    Refresh();
    if (run_) {
        return false;
    }
    activePlan_ = plan_;
    if (skipStartDelay) {
        activePlan_.startDelayMs = 0;
    }
    clock_.start();
    run_ = RunState{};
    run_->phase = RunPhase::Finished; // so that the first Refresh reports the phase
    Refresh();
    return true;
}

bool CameraState::RunGoingOn() {
    Refresh();
    return run_.has_value();
}

QByteArray CameraState::StatusReply() {
    Refresh();
    if (!run_) {
        return QByteArrayLiteral("0 0 0 0");
    }
    return sim::StatusReply(activePlan_, *run_);
}

HwVersion CameraState::Version() {
    Refresh();
    return version_;
}

void CameraState::LosePower() {
    Refresh();
    if (!run_) {
        return;
    }
    run_.reset();
    phaseTimer_.stop();
    emit RunPhaseChanged(QStringLiteral("run: lost with the power, hardware version stays %1")
                             .arg(QString::fromLatin1(version_.Text())));
}

void CameraState::Refresh() {
    if (!run_) {
        return;
    }
    const qint64 elapsed = clock_.elapsed();
    const RunState now = RunStateAt(activePlan_, elapsed);
    const bool changed = now.phase != run_->phase;
    run_ = now;
    if (now.phase == RunPhase::Finished) {
        version_ = newVersion_;
        run_.reset();
        phaseTimer_.stop();
        emit RunPhaseChanged(QStringLiteral("run: finished, hardware version now %1")
                                 .arg(QString::fromLatin1(version_.Text())));
        emit RunFinished();
        return;
    }
    if (now.phase == RunPhase::Aborted) {
        run_.reset();
        phaseTimer_.stop();
        emit RunPhaseChanged(DescribePhase(activePlan_, now) +
                             QStringLiteral(", hardware version stays %1")
                                 .arg(QString::fromLatin1(version_.Text())));
        return;
    }
    if (now.nextChangeMs >= 0) {
        phaseTimer_.start(static_cast<int>(std::max<qint64>(0, now.nextChangeMs - elapsed)));
    }
    if (changed) {
        emit RunPhaseChanged(DescribePhase(activePlan_, now));
    }
}

} // namespace kestrel::sim
