#pragma once

#include "camera_state.h"
#include "sim_options.h"

#include <QObject>
#include <QString>
#include <QTimer>

#include <functional>
#include <optional>

namespace kestrel::sim {

// The operator's power cycle after a finished run, with --power-cycle-after:
// that long after a run has finished the camera goes off, and powerOffMs
// later it comes back with the version the run left. An aborted run brings
// no power cycle, and a run that finishes while one is already coming is
// covered by it. What off and on mean for the connections is the owner's
// business: switchOff drops them and stops listening, switchOn listens again
// and returns why it could not, empty when it could; then it is tried again
// every kRetryMs.
class PowerCycle : public QObject {
    Q_OBJECT

public:
    PowerCycle(const SimOptions& options, CameraState& camera, std::function<void()> switchOff,
               std::function<QString()> switchOn, QObject* parent = nullptr);

    static constexpr int kRetryMs = 1000;

    // How often the camera has tried to come back on since it went off last.
    int Attempts() const { return attempts_; }

signals:
    // The camera went off or came back; text says which, for the operator.
    void Changed(const QString& text);
    // The camera cannot come back yet; said once until it has.
    void Trouble(const QString& text);

private:
    enum class Stage { On, Coming, Off };

    void RunFinished();
    void Step();
    void TrySwitchOn();

    const std::optional<int> afterMs_;
    const int offMs_;
    CameraState& camera_;
    const std::function<void()> switchOff_;
    const std::function<QString()> switchOn_;
    QTimer timer_;
    Stage stage_ = Stage::On;
    bool troubleSaid_ = false;
    int attempts_ = 0;
};

} // namespace kestrel::sim
