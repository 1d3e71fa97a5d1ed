#include "update_probe.h"

#include "camera_commands.h"

#include "command_channel.h"
#include "reply_reading.h"

namespace kestrel {

namespace {
// The probe counts a phase as finished one step before the run's polling
// loops do.
constexpr std::int32_t kProbeMargin = 2;
} // namespace

QByteArray ProbeUpdateStatus(bool& updateRunning, CommandChannel& channel) {
    if (updateRunning)
        return {};
    const QByteArray reply = channel.SendCommand(commands::kRunStatus);
    const std::string_view text(reply.constData(), static_cast<std::size_t>(reply.size()));
    UpdateStatus status;
    ParseUpdateStatus(text, status);
    if (IsIdleStatus(text)) {
        updateRunning = false;
        return reply;
    }
    updateRunning = PhaseUnfinished(status.nEraseDone, status.nEraseTotal, kProbeMargin) ||
                    PhaseUnfinished(status.nProgramDone, status.nProgramTotal, kProbeMargin);
    return reply;
}

} // namespace kestrel
