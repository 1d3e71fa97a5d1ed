#include "window_history.h"

#include "camera.h"
#include "firmware_staging.h"
#include "history_recorder.h"
#include "log_book.h"
#include "programmed_cameras.h"
#include "job_verdict.h"
#include "session_events.h"
#include "stick_copy_result.h"
#include "stick_eject.h"

#include <QStringList>

namespace kestrel {

QString texts::HistoryNotWritten(const QString& sentence) {
    return sentence + QStringLiteral(" The firmware work goes on without it.\r\n");
}

namespace {

// Camera texts are 8-bit: one byte is one character.
std::string Bytes(const QString& text) {
    return text.toLatin1().toStdString();
}

std::string Code(ResultCode code) {
    return CodeOf(code).toStdString();
}

HistoryCamera CameraOf(const CameraIdentity& identity, const QString& address) {
    return {Bytes(address),           Bytes(identity.serial),   Bytes(identity.model),
            Bytes(identity.hardware), Bytes(identity.software), std::string()};
}

} // namespace

WindowHistory::WindowHistory(HistoryRecorder& recorder, LogBook& log, SessionEvents& events,
                             Camera& camera, FirmwareStaging& staging,
                             ProgrammedCameras& programmed)
    : m_recorder(recorder), m_log(log), m_events(events), m_camera(camera), m_staging(staging),
      m_programmed(programmed) {
    QObject* c = &m_context;
    QObject::connect(&camera, &Camera::announced, c, [this](bool found) { OnAnnounced(found); });
    QObject::connect(&camera, &Camera::startSent, c, [this] { m_runChanged = true; });
    QObject::connect(&camera, &Camera::runEnded, c,
                     [this](RunOutcome outcome) { OnRunEnded(outcome); });
    programmed.SetVerdict([this](const CameraIdentity& now, const QString& before,
                                 HwVersionChange change) {
        HistoryCamera was = CameraOf(now, m_camera.Address());
        was.hardware = Bytes(before);
        const ResultCode code = change == HwVersionChange::Changed ? ResultCode::Ok
                                : change == HwVersionChange::Unchanged
                                    ? ResultCode::VersionUnchanged
                                    : ResultCode::VersionUnread;
        const std::string id = m_recorder.Begin({history::kPowerCycle, was});
        m_recorder.End(id,
                       {Code(code), false,
                        code == ResultCode::VersionUnread ? std::string() : Bytes(now.hardware)});
    });
    QObject::connect(&staging, &FirmwareStaging::copyStarted, c, [this] {
        const StagingChoices& chosen = m_staging.Choices();
        m_copy = m_recorder.Begin({.action = history::kStage,
                                   .stickFiles = {{chosen.m_strHwName.toStdString(), {}},
                                                  {chosen.m_strSwName.toStdString(), {}}}});
    });
    QObject::connect(&staging, &FirmwareStaging::copyEnded, c,
                     [this](const StickCopyResult& copy) { OnCopyEnded(copy); });
    QObject::connect(&staging, &FirmwareStaging::ejectStarted, c,
                     [this] { m_eject = m_recorder.Begin({.action = history::kEject}); });
    QObject::connect(&staging, &FirmwareStaging::ejectEnded, c,
                     [this](const StickEjectResult& eject) { OnEjectEnded(eject); });
    QObject::connect(&staging, &FirmwareStaging::workEnded, c, [this] { TellHeld(); });
    QObject::connect(&recorder, &HistoryRecorder::failed, c,
                     [this](const QString& sentence) { Tell(sentence); });
}

void WindowHistory::OnAnnounced(bool alreadyRunning) {
    // A press that takes the run over goes on with the same operation.
    if (!m_run.empty())
        return;
    m_runChanged = false;
    m_run = m_recorder.Begin({alreadyRunning ? history::kWatch : history::kUpdate,
                              CameraOf(m_programmed.Current(), m_camera.Address())});
}

void WindowHistory::OnRunEnded(RunOutcome outcome) {
    if (outcome == RunOutcome::Ignored || outcome == RunOutcome::NotConnected)
        return; // nothing was done
    // A run that ended before it was announced (the connection lost while
    // asking whether one goes on) is recorded all the same.
    if (m_run.empty())
        OnAnnounced(false);
    // The one result table says how the run ended: "ok" only when the camera
    // reported the end.
    m_recorder.End(m_run, {Code(ResultOf(outcome)), m_runChanged});
    m_run.clear();
    m_runChanged = false;
}

void WindowHistory::OnCopyEnded(const StickCopyResult& copy) {
    HistoryFinish finish{Code(copy.succeeded ? ResultCode::Ok : ResultCode::CopyFailed),
                         copy.stickChanged};
    for (const StagedFile& file : copy.files)
        finish.stickFiles.push_back(
            {file.name.toStdString(), file.verified.sha256.toHex().toStdString()});
    finish.signerKey = copy.SignerKeys().toStdString();
    m_recorder.End(m_copy, finish);
    m_copy.clear();
}

void WindowHistory::OnEjectEnded(const StickEjectResult& eject) {
    const bool removable = eject.outcome.Removable();
    m_recorder.End(m_eject,
                   {Code(removable ? ResultCode::Ok : ResultCode::EjectFailed), removable});
    m_eject.clear();
}

void WindowHistory::Tell(const QString& sentence) {
    m_held = sentence;
    // A line in the log now would send the copy's report to a message box.
    if (!m_staging.CopyRunning())
        TellHeld();
}

void WindowHistory::TellHeld() {
    if (m_held.isEmpty())
        return;
    m_log.Write(texts::HistoryNotWritten(m_held));
    m_held.clear();
    emit m_events.logShown();
}

} // namespace kestrel
