#include "update_probe.h"

#include "busy_gate.h"
#include "camera_commands.h"
#include "reply_reading.h"

namespace kestrel {

namespace {
// The probe counts a phase as finished one step before the run's polling
// loops do.
constexpr std::int32_t kProbeMargin = 2;
} // namespace

QByteArray ProbeUpdateStatus(BusyGate& gate) {
    if (gate.UpdateRunning())
        return {};
    const QByteArray reply = gate.SendCommand(commands::kRunStatus);
    const std::string_view text(reply.constData(), static_cast<std::size_t>(reply.size()));
    UpdateStatus status;
    ParseUpdateStatus(text, status);
    if (IsIdleStatus(text)) {
        gate.SetUpdateRunning(false);
        return reply;
    }
    gate.SetUpdateRunning(
        PhaseUnfinished(status.nEraseDone, status.nEraseTotal, kProbeMargin) ||
        PhaseUnfinished(status.nProgramDone, status.nProgramTotal, kProbeMargin));
    return reply;
}

} // namespace kestrel
