#include "busy_gate.h"

#include "camera_commands.h"

#include "command_channel.h"

namespace kestrel {

namespace {
const QByteArray kOccupied = QByteArrayLiteral("occuped");
} // namespace

QByteArray BusyGate::SendCommand(const QByteArray& command) {
    if (!Passes(command))
        return kOccupied;
    return m_channel.SendCommand(command);
}

bool BusyGate::Passes(const QByteArray& command) const {
    return !m_bUpdateRunning || commands::kDuringRun.contains(command);
}

void BusyGate::PumpWaitingMessages() {
    m_channel.PumpWaitingMessages();
}

} // namespace kestrel
