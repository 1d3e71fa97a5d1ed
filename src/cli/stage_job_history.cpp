// What a copy onto a stick writes to the production history: the copy with
// each file's name, SHA-256 and signer, and the eject, as the window writes
// them.

#include "stage_job.h"

#include "history_recorder.h"
#include "stick_copy.h"
#include "stick_eject.h"

#include <QFileInfo>
#include <QStringList>

namespace kestrel::cli {

namespace {

std::string Code(ResultCode code) {
    return CodeOf(code).toStdString();
}

} // namespace

void StageJob::HistoryCopyBegun() {
    if (!m_options.recorder)
        return;
    m_historyCopy = m_options.recorder->Begin(
        {.action = history::kStage,
         .stickFiles = {{QFileInfo(m_options.hwFile).fileName().toStdString(), {}},
                        {QFileInfo(m_options.swFile).fileName().toStdString(), {}}}});
}

void StageJob::HistoryCopyEnded(const StickCopyResult& copy) {
    if (!m_options.recorder)
        return;
    HistoryFinish finish{Code(copy.succeeded ? ResultCode::Ok : ResultCode::CopyFailed),
                         copy.stickChanged};
    for (const StagedFile& file : copy.files)
        finish.stickFiles.push_back(
            {file.name.toStdString(), file.verified.sha256.toHex().toStdString()});
    finish.signerKey = copy.SignerKeys().toStdString();
    m_options.recorder->End(m_historyCopy, finish);
}

void StageJob::HistoryEjectBegun() {
    if (m_options.recorder)
        m_historyEject = m_options.recorder->Begin({.action = history::kEject});
}

void StageJob::HistoryEjectEnded(const StickEjectResult& eject) {
    if (!m_options.recorder)
        return;
    const bool removable = eject.outcome.Removable();
    m_options.recorder->End(
        m_historyEject, {Code(removable ? ResultCode::Ok : ResultCode::EjectFailed), removable});
}

} // namespace kestrel::cli
