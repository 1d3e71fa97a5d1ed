#pragma once

#include <QByteArray>

#include <functional>
#include <optional>

class QObject;

namespace kestrel {

class BusyGate;

// Asks the camera once whether a programming run is in progress and records
// the answer in the busy gate's m_bUpdateRunning. A flag that is already set
// is left set and nothing is sent: only the end of a run clears it. done gets
// the camera's reply (empty when nothing was asked), or nothing when the
// connection was not open or ended before the reply; from the event loop,
// while context lives.
using ProbeReply = std::function<void(const std::optional<QByteArray>& reply)>;
void ProbeUpdateStatus(BusyGate& gate, QObject* context, ProbeReply done);

} // namespace kestrel
