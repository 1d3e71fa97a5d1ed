#pragma once

#include <QByteArray>

namespace kestrel {

class CommandChannel;

// The camera's busy gate: every command of the camera operations goes through
// here. While a programming run is in progress (m_bUpdateRunning), only the
// run's own commands reach the camera; any other is answered "occuped"
// without touching the connection. The flag is set and cleared by the status
// probe and the programming run.
class BusyGate {
public:
    explicit BusyGate(CommandChannel& channel) : m_channel(channel) {}

    // The command's reply, or "occuped" when the gate refuses it.
    QByteArray SendCommand(const QByteArray& command);
    // The command would reach the camera now.
    bool Passes(const QByteArray& command) const;

    bool UpdateRunning() const { return m_bUpdateRunning; }
    void SetUpdateRunning(bool running) { m_bUpdateRunning = running; }

    // Serves the window for about 10 ms.
    void PumpWaitingMessages();

private:
    CommandChannel& m_channel;
    bool m_bUpdateRunning = false;
};

} // namespace kestrel
