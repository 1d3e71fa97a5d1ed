#include "update_probe.h"

#include "call_later.h"

#include "busy_gate.h"
#include "byte_view.h"
#include "camera_commands.h"
#include "reply_reading.h"

#include <QObject>

namespace kestrel {

namespace {
// The probe counts a phase as finished one step before the run's polling
// loops do.
constexpr std::int32_t kProbeMargin = 2;

// What the reply says of m_bUpdateRunning.
bool RunInProgress(const QByteArray& reply) {
    const std::string_view text = View(reply);
    if (IsIdleStatus(text))
        return false;
    UpdateStatus status;
    ParseUpdateStatus(text, status);
    return PhaseUnfinished(status.nEraseDone, status.nEraseTotal, kProbeMargin) ||
           PhaseUnfinished(status.nProgramDone, status.nProgramTotal, kProbeMargin);
}

} // namespace

void ProbeUpdateStatus(BusyGate& gate, QObject* context, ProbeReply done) {
    if (gate.UpdateRunning()) {
        CallLater(context, [done = std::move(done)] { done(QByteArray()); });
        return;
    }
    gate.SendCommand(commands::kRunStatus, context,
                     [&gate, done = std::move(done)](const std::optional<QByteArray>& reply) {
                         // No reply reads as an empty one: no run in progress.
                         gate.SetUpdateRunning(RunInProgress(reply.value_or(QByteArray())));
                         done(reply);
                     });
}

} // namespace kestrel
