#include "programmed_cameras.h"

#include "camera.h"
#include "hw_version_rule.h"
#include "log_book.h"
#include "session_events.h"

namespace kestrel {

namespace {

// Camera texts are 8-bit: one byte is one character.
std::string Bytes(const QString& text) {
    return text.toLatin1().toStdString();
}

} // namespace

ProgrammedCameras::ProgrammedCameras(LogBook& log, SessionEvents& events, Camera& camera)
    : m_log(log), m_events(events), m_camera(camera) {
    QObject::connect(&camera, &Camera::connected, &m_context, [this] { OnConnected(); });
    // Read again after a run found on connecting, or when asked.
    QObject::connect(&camera, &Camera::identityRead, &m_context,
                     [this] { m_current = m_camera.Identity(); });
    QObject::connect(&camera, &Camera::runEnded, &m_context, [this](RunOutcome outcome) {
        if (outcome == RunOutcome::Finished)
            OnRunFinished();
    });
}

QString ProgrammedCameras::Line(const CameraIdentity& camera) const {
    const auto found = m_programmed.constFind(camera.serial);
    if (camera.serial.isEmpty() || found == m_programmed.constEnd())
        return QString();
    const QString& before = *found;
    switch (CompareHwVersions(Bytes(before), Bytes(camera.hardware))) {
    case HwVersionChange::Unread: // what is not a version confirms nothing
        return QStringLiteral("The camera gave no hardware firmware version: the new firmware "
                              "is not confirmed.\r\n");
    case HwVersionChange::Unknown: // not remembered
        return QString();
    case HwVersionChange::Unchanged:
        return QStringLiteral("Hardware firmware still %1: the update did not take effect; run "
                              "the firmware update again.\r\n")
            .arg(before);
    case HwVersionChange::Changed:
        break;
    }
    return QStringLiteral("Hardware firmware %1 -> %2: the new firmware is running.\r\n")
        .arg(before, camera.hardware);
}

void ProgrammedCameras::OnConnected() {
    // Found programming, the camera was not asked who it is.
    m_current = m_camera.UpdateRunning() ? CameraIdentity() : m_camera.Identity();
    const QString line = Line(m_current);
    if (line.isEmpty())
        return;
    // Told once per run, unless the version could not be read: a later
    // connection may read it.
    if (m_verdict && !m_verdictTold.contains(m_current.serial)) {
        const QString before = m_programmed.value(m_current.serial);
        const HwVersionChange change = CompareHwVersions(Bytes(before), Bytes(m_current.hardware));
        if (change != HwVersionChange::Unread)
            m_verdictTold.insert(m_current.serial);
        m_verdict(m_current, before, change);
    }
    m_log.Write(line);
    emit m_events.logShown();
}

void ProgrammedCameras::OnRunFinished() {
    // A version that could not be read is nothing to compare with later.
    if (!m_current.serial.isEmpty() && ReadHwVersion(Bytes(m_current.hardware))) {
        m_programmed.insert(m_current.serial, m_current.hardware);
        m_verdictTold.remove(m_current.serial);
    }
}

} // namespace kestrel
