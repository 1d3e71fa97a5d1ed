#include "busy_gate.h"

#include "call_later.h"

#include "camera_commands.h"

#include <QObject>

namespace kestrel {

namespace {
const QByteArray kOccupied = QByteArrayLiteral("occuped");
} // namespace

void BusyGate::SendCommand(const QByteArray& command, QObject* context, CommandChannel::Reply done,
                           std::function<void()> written) {
    if (Passes(command)) {
        m_channel.SendCommand(command, context, std::move(done), std::move(written));
        return;
    }
    CallLater(context, [done = std::move(done)] { done(kOccupied); });
}

bool BusyGate::Passes(const QByteArray& command) const {
    return !m_bUpdateRunning || commands::kDuringRun.contains(command);
}

} // namespace kestrel
