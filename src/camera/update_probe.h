#pragma once

#include <QByteArray>

namespace kestrel {

class BusyGate;

// Asks the camera once whether a programming run is in progress and records
// the answer in the busy gate's m_bUpdateRunning. A flag that is already set
// is left set and nothing is sent: only the end of a run clears it. Returns
// the camera's reply, empty when nothing was asked.
QByteArray ProbeUpdateStatus(BusyGate& gate);

} // namespace kestrel
