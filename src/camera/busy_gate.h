#pragma once

#include "command_channel.h"

#include <QByteArray>

namespace kestrel {

// The camera's busy gate: every command of the camera operations goes through
// here. While a programming run is in progress (m_bUpdateRunning), only the
// run's own commands reach the camera; any other is answered "occuped" at
// once, without touching the connection or waiting for the exchanges before
// it. The flag is set and cleared by the status probe and the programming run.
class BusyGate {
public:
    explicit BusyGate(CommandChannel& channel) : m_channel(channel) {}

    // The command's reply (see CommandChannel::SendCommand), or "occuped"
    // when the gate refuses it; handed to done from the event loop either way.
    void SendCommand(const QByteArray& command, QObject* context, CommandChannel::Reply done,
                     std::function<void()> written = {});
    // The command would reach the camera now.
    bool Passes(const QByteArray& command) const;

    bool UpdateRunning() const { return m_bUpdateRunning; }
    void SetUpdateRunning(bool running) { m_bUpdateRunning = running; }

private:
    CommandChannel& m_channel;
    bool m_bUpdateRunning = false;
};

} // namespace kestrel
