#pragma once

#include "firmware_run.h"
#include "run_outcome.h"

#include <QObject>
#include <QTimer>

#include <functional>

namespace kestrel {

class Connector;
class CameraInfoQuery;

// Right after connecting: is the camera in the middle of reprogramming its
// flash? Then nothing else is sent and the run is followed to its end;
// otherwise the information pane is filled.
class AfterConnectCheck : public QObject {
    Q_OBJECT
public:
    AfterConnectCheck(const Connector& connector, CameraInfoQuery& info, FirmwareRun& run,
                      RunSettings settings);

    // After the greeting, before the connection line is logged: asks whether
    // a run is in progress, and for the camera's information unless it is;
    // then done.
    void LookAtCamera(std::function<void()> done);
    // After both panes are shown: follows a run found in progress to its
    // end, then (once the run ended with the camera there and idle) reads
    // the information again a little later.
    void FollowRunFound();
    // A run found is followed, or the information is about to be read again.
    bool Following() const { return m_following || m_again.isActive(); }

signals:
    // The information was read again after the run found was followed.
    void readAgain();

private:
    void OnRunEnded(RunOutcome outcome);

    const Connector& m_connector;
    CameraInfoQuery& m_info;
    FirmwareRun& m_run;
    RunSettings m_settings;
    bool m_following = false;
    quint64 m_followed = 0; // the run followed, as FirmwareRun counts them
    QTimer m_again;         // the pause before the information is read again
};

} // namespace kestrel
