// What a camera job writes to the production history: its run and the
// power-cycle verdict, as the window writes them.

#include "camera_job.h"

#include "history_recorder.h"
#include "record_book.h"

namespace kestrel::cli {

namespace {

// Camera texts are 8-bit: one byte is one character.
std::string Bytes(const QString& text) {
    return text.toLatin1().toStdString();
}

HistoryCamera CameraOf(const CameraIdentity& identity, const QString& address,
                       const std::string& target) {
    return {Bytes(address),           Bytes(identity.serial),   Bytes(identity.model),
            Bytes(identity.hardware), Bytes(identity.software), target};
}

} // namespace

void CameraJob::HistoryRunBegun(bool alreadyRunning) {
    // A run taken over after a lost connection goes on with the same operation.
    if (!m_plan.recorder || !m_historyRun.empty())
        return;
    HistoryStart start{alreadyRunning ? history::kWatch : history::kUpdate,
                       CameraOf(m_result.before, m_address.Text(), m_target)};
    if (m_plan.records)
        start.recordFile = m_plan.records->File(m_job).toStdString();
    m_historyRun = m_plan.recorder->Begin(start);
}

void CameraJob::HistoryRunCutShort(RunOutcome outcome) {
    // A run that ended before it was announced (the connection lost while
    // asking whether one goes on) is recorded all the same; one never asked
    // for did nothing.
    if (m_historyRun.empty() && outcome != RunOutcome::Ignored &&
        outcome != RunOutcome::NotConnected)
        HistoryRunBegun(m_facts.work == CameraWork::Watch || m_result.runInProgress);
}

void CameraJob::HistoryRunEnded(ResultCode result) {
    if (!m_plan.recorder || m_historyRun.empty())
        return;
    HistoryFinish finish{CodeOf(result).toStdString(), m_result.changed, m_hardwareAfter};
    if (m_plan.records)
        finish.recordFile = m_plan.records->File(m_job).toStdString();
    finish.elapsedMs = m_result.elapsedMs;
    m_plan.recorder->End(m_historyRun, finish);
    m_historyRun.clear();
}

void CameraJob::HistoryPowerCycle(const PowerCycleResult& cycle, ResultCode verdict) {
    // A verdict is given on a camera that came back; one not power-cycled in
    // time, or gone, ends its run so and has none.
    if (!m_plan.recorder || cycle.end == PowerCycleEnd::NotPowerCycled ||
        cycle.end == PowerCycleEnd::NotBack)
        return;
    const std::string id = m_plan.recorder->Begin(
        {history::kPowerCycle, CameraOf(m_result.before, m_address.Text(), m_target)});
    m_plan.recorder->End(id,
                         {CodeOf(verdict).toStdString(), false,
                          verdict == ResultCode::VersionUnread ? std::string() : m_hardwareAfter});
}

} // namespace kestrel::cli
