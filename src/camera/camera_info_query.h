#pragma once

#include <QByteArray>
#include <QByteArrayList>
#include <QObject>
#include <QString>

#include <functional>
#include <vector>

namespace kestrel {

class SessionEvents;
class BusyGate;
class LineTransport;

// What the information query found, field by field, as the camera gave it
// (8-bit text, one byte a character); all empty when the query could not end.
struct CameraIdentity {
    QString serial;
    QString model;
    QString sensor;   // "Mono Sensor" or the Bayer pattern
    QString hardware; // the three register reads joined by dots, upper-cased
    QString software;
    bool IsEmpty() const { return serial.isEmpty() && hardware.isEmpty() && software.isEmpty(); }
};

// Asks the connected camera who it is and which firmware it runs, and fills
// the information pane: serial number, model, sensor, hardware firmware
// version (three register reads) and software firmware version. One command
// goes out when the reply to the one before is in.
class CameraInfoQuery : public QObject {
    Q_OBJECT
public:
    CameraInfoQuery(SessionEvents& events, BusyGate& gate, LineTransport& transport);

    // Sends the seven (mono) or eight (colour) commands in order, then shows
    // the six-line information text with the caret at its end and calls done.
    // Also keeps the serial number for the connection line. When the
    // connection ends in the middle, the query stops there and the pane is
    // emptied rather than filled with answers the camera never gave. A query
    // asked for while one is under way is answered by that one.
    void QueryCameraInfo(std::function<void()> done);
    bool Querying() const { return m_querying; }

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
    // Asks the next command of the query, or ends it.
    void AskNext();
    void Finish();

    SessionEvents& m_events;
    BusyGate& m_gate;
    LineTransport& m_transport;
    // The query under way.
    bool m_querying = false;
    quint64 m_generation = 0; // of the connection it asks
    bool m_lost = false;
    QByteArrayList m_commands;                 // still to ask, first next
    QByteArrayList m_replies;                  // in the order asked
    std::vector<std::function<void()>> m_done; // whoever waits for its end

    CameraIdentity m_identity;
    QString m_strInfo;         // the camera information text
    QString m_strCameraNumber; // the serial number the query found
};

} // namespace kestrel
