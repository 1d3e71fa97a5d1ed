#pragma once

#include "camera_identity.h"

#include <QByteArray>
#include <QString>

namespace kestrel {

class SessionEvents;
class BusyGate;
class LineTransport;

// Asks the connected camera who it is and which firmware it runs, and fills
// the information pane: serial number, model, sensor, hardware firmware
// version (three register reads) and software firmware version.
class CameraInfoQuery {
public:
    CameraInfoQuery(SessionEvents& events, BusyGate& gate, LineTransport& transport);

    // Sends the seven (mono) or eight (colour) commands in order and shows
    // the six-line information text with the caret at its end. Also keeps the
    // serial number for the connection line. When the connection ends in the
    // middle, the query stops there and the pane is emptied rather than
    // filled with answers the camera never gave.
    void QueryCameraInfo();

    // The fields of the last query.
    const CameraIdentity& Identity() const { return m_identity; }
    // The information text, and the serial number of the connection line.
    const QString& Info() const { return m_strInfo; }
    const QString& CameraNumber() const { return m_strCameraNumber; }

    // Before the camera is looked at: no serial number yet.
    void ForgetCameraNumber() { m_strCameraNumber.clear(); }
    // The information text says a run is in progress instead.
    void SetInfo(const QString& text) { m_strInfo = text; }

private:
    QByteArray Ask(const QByteArray& command);

    SessionEvents& m_events;
    BusyGate& m_gate;
    LineTransport& m_transport;
    bool m_lost = false;
    CameraIdentity m_identity;
    QString m_strInfo;         // the camera information text
    QString m_strCameraNumber; // the serial number the query found
};

} // namespace kestrel
