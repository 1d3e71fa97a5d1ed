#include "power_cycle.h"

#include <utility>

namespace kestrel::sim {

PowerCycle::PowerCycle(const SimOptions& options, CameraState& camera,
                       std::function<void()> switchOff, std::function<QString()> switchOn,
                       QObject* parent)
    : QObject(parent), afterMs_(options.powerCycleAfterMs), offMs_(options.powerOffMs),
      camera_(camera), switchOff_(std::move(switchOff)), switchOn_(std::move(switchOn)),
      timer_(this) {
    timer_.setSingleShot(true);
    timer_.setTimerType(Qt::PreciseTimer);
    connect(&timer_, &QTimer::timeout, this, &PowerCycle::Step);
    if (afterMs_) {
        connect(&camera_, &CameraState::RunFinished, this, &PowerCycle::RunFinished);
    }
}

void PowerCycle::RunFinished() {
    if (stage_ != Stage::On) {
        return;
    }
    // Never at once: the run may have been seen finishing in the middle of
    // answering a command.
    stage_ = Stage::Coming;
    timer_.start(*afterMs_);
}

void PowerCycle::Step() {
    switch (stage_) {
    case Stage::On:
        return;
    case Stage::Coming:
        stage_ = Stage::Off;
        attempts_ = 0;
        emit Changed(QStringLiteral("power cycle: camera off for %1 ms").arg(offMs_));
        switchOff_();
        camera_.LosePower();
        timer_.start(offMs_);
        return;
    case Stage::Off:
        TrySwitchOn();
        return;
    }
}

void PowerCycle::TrySwitchOn() {
    ++attempts_;
    const QString problem = switchOn_();
    if (!problem.isEmpty()) {
        if (!troubleSaid_) {
            troubleSaid_ = true;
            emit Trouble(QStringLiteral("power cycle: %1; trying again every %2 s")
                             .arg(problem)
                             .arg(kRetryMs / 1000));
        }
        timer_.start(kRetryMs);
        return;
    }
    stage_ = Stage::On;
    troubleSaid_ = false;
    emit Changed(QStringLiteral("power cycle: camera back, hardware version now %1")
                     .arg(QString::fromLatin1(camera_.Version().Text())));
}

} // namespace kestrel::sim
