#pragma once

#include <QString>

namespace kestrel {

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

} // namespace kestrel
