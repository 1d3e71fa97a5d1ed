#pragma once

#include "power_cycle_result.h"
#include "power_cycle_settings.h"

#include <QObject>
#include <QString>

namespace kestrel {

class Camera;
class OperatorInput;

// After a finished run: waits for the operator to power-cycle the camera,
// reconnects when it is back and has the PowerCycleRule judge its hardware
// firmware version. The camera going away is seen from the connection: it
// ends, or a status question gets no answer.
class PowerCycleWatch : public QObject {
    Q_OBJECT
public:
    PowerCycleWatch(Camera& camera, OperatorInput& input, PowerCycleSettings settings);

    // The wait, from now on; hardwareBefore is the version before the run
    // (empty when not known).
    PowerCycleResult Confirm(const QString& hardwareBefore);

    // What the operator is told when the wait begins, and once when the
    // camera has gone away (the connections that end while it restarts are
    // not reported one by one).
    static QString WaitingLine(int timeoutMs);
    static QString GoneLine();

signals:
    // The camera went away; it is waited for now. Once per wait.
    void gone();

private:
    bool Present() const;
    bool Stopped() const;

    Camera& m_camera;
    OperatorInput& m_input;
    PowerCycleSettings m_settings;
};

} // namespace kestrel
