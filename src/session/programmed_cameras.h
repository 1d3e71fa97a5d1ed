#pragma once

#include "camera_info_query.h"

#include <QHash>
#include <QObject>
#include <QString>

namespace kestrel {

class LogBook;
class SessionEvents;
class Camera;

// The window's memory of the cameras it programmed to the end in this
// session, by serial number, with the hardware firmware version each ran
// then. When the operator connects to one of them again, the log tells
// whether the version changed: the new firmware is running, or the update
// did not take effect, or, when it gives no version now, that nothing is
// confirmed. The version before is the one read on connecting; a run found in
// progress on connecting has none, and is not remembered, nor is a camera
// whose version could not be read.
class ProgrammedCameras {
public:
    ProgrammedCameras(LogBook& log, SessionEvents& events, Camera& camera);

private:
    // The log's line for a camera connected again, "" for any other.
    QString Line(const CameraIdentity& camera) const;
    void OnConnected();
    void OnRunFinished();

    LogBook& m_log;
    SessionEvents& m_events;
    Camera& m_camera;
    CameraIdentity m_current;             // read on connecting; empty when not read
    QHash<QString, QString> m_programmed; // serial number -> hardware version then
    QObject m_context;                    // the connections end with this object
};

} // namespace kestrel
