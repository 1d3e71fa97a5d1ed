#pragma once

#include "camera_info_query.h"
#include "power_cycle_rule.h"

#include <QElapsedTimer>
#include <QObject>
#include <QString>
#include <QTimer>

#include <functional>
#include <optional>

namespace kestrel {

class Camera;

// How long the tool waits for the operator's power cycle, and how often it
// looks at the camera meanwhile.
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
};

// After a finished run: waits for the operator to power-cycle the camera,
// reconnects when it is back and has the PowerCycleRule judge its hardware
// firmware version. The camera going away is seen from the connection: it
// ends, or a status question gets no answer. Driven by a timer and the
// camera's signals; finished() tells the end.
class PowerCycleWatch : public QObject {
    Q_OBJECT
public:
    PowerCycleWatch(Camera& camera, PowerCycleSettings settings);

    // Starts the wait, from now on; hardwareBefore is the version before the
    // run (empty when not known).
    void Start(const QString& hardwareBefore);
    // The program stops following the camera: the wait ends now, and
    // finished() tells so (stopped) from the event loop.
    void Stop();

    // What the operator is told when the wait begins, and once when the
    // camera has gone away (the connections that end while it restarts are
    // not reported one by one).
    static QString WaitingLine(int timeoutMs);
    static QString GoneLine();

signals:
    // The camera went away; it is waited for now. Once per wait.
    void gone();
    // The wait is over.
    void finished(const kestrel::PowerCycleResult& result);

private:
    enum class Stage { Idle, Present, Away, Identifying };

    bool Present() const;
    // The camera still holds the connection: asked again later, or the end.
    void LookAtCamera();
    // The camera is away: tried again until it is back or the time is up.
    void TryToReach();
    void OnIdentity();
    void After(int ms, std::function<void()> step);
    void End(PowerCycleEnd end);
    void EndStopped();

    Camera& m_camera;
    PowerCycleSettings m_settings;
    Stage m_stage = Stage::Idle;
    QString m_before;
    std::optional<PowerCycleRule> m_rule;
    QElapsedTimer m_clock;
    QTimer m_timer;
    std::function<void()> m_afterPause;
    PowerCycleResult m_result;
};

} // namespace kestrel
