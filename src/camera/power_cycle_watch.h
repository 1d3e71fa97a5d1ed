#pragma once

#include "camera_identity.h"
#include "power_cycle_rule.h"

#include <QObject>
#include <QString>

namespace kestrel {

class Camera;
class OperatorInput;

struct PowerCycleSettings {
    int timeoutMs = 300000; // for the whole wait: off, and back again
    int pollMs = 1000;      // how often the camera is looked at
};

// How the wait for the power cycle ended; the sentence for the operator
// (empty when the wait was stopped) and the camera's identity once back.
struct PowerCycleResult {
    PowerCycleEnd end = PowerCycleEnd::None;
    bool stopped = false; // the program stopped following the camera
    QString detail;
    CameraIdentity after;
    bool Confirmed() const {
        return end == PowerCycleEnd::VersionChanged || end == PowerCycleEnd::VersionUnknown;
    }
};

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

    // What the operator is told when the wait begins.
    static QString WaitingLine(int timeoutMs);

signals:
    // The camera went away; it is waited for now.
    void gone();

private:
    bool Present() const;
    bool Stopped() const;

    Camera& m_camera;
    OperatorInput& m_input;
    PowerCycleSettings m_settings;
};

} // namespace kestrel
