#include "camera_probe.h"

#include "byte_view.h"
#include "camera.h"
#include "log_book.h"
#include "session_events.h"
#include "status_shape.h"

namespace kestrel {

namespace {

LinkSettings ProbeLink(const ScanSettings& settings) {
    LinkSettings link;
    link.connectTimeoutMs = settings.connectTimeoutMs;
    link.replyTimeoutMs = settings.greetingTimeoutMs;
    return link;
}

} // namespace

CameraProbe::CameraProbe(const ScanSettings& settings, QObject* parent)
    : QObject(parent), m_log(std::make_unique<LogBook>()),
      m_events(std::make_unique<SessionEvents>()),
      m_camera(std::make_unique<Camera>(*m_log, *m_events, ProbeLink(settings), RunSettings())) {
    // Only a server that speaks first is asked anything: the camera awaits
    // the greeting, and one that stays silent is lost within the time limit.
    connect(m_camera.get(), &Camera::openEnded, this, [this](bool open) {
        if (m_stage != Stage::Opening)
            return;
        if (!open || m_aborted) {
            Close(false, false);
            return;
        }
        m_stage = Stage::Probing;
        m_camera->ProbeRun();
    });
    connect(m_camera.get(), &Camera::runProbed, this,
            [this](const QByteArray& reply, bool answered) {
                if (m_stage != Stage::Probing)
                    return;
                if (!answered || m_aborted || !Present() || !IsStatusReply(View(reply))) {
                    Close(false, false);
                    return;
                }
                if (m_camera->UpdateRunning()) {
                    m_finding.state = ScanFinding::State::Programming;
                    Close(true, true);
                    return;
                }
                m_stage = Stage::Identifying;
                m_camera->ReadIdentity();
            });
    connect(m_camera.get(), &Camera::identityRead, this, [this] {
        if (m_stage != Stage::Identifying)
            return;
        m_finding.identity = m_camera->Identity();
        if (!Present())
            m_finding.state = ScanFinding::State::Lost;
        Close(!m_aborted, true);
    });
    connect(m_camera.get(), &Camera::disconnected, this, [this] {
        if (m_stage == Stage::Closing)
            Done();
    });
}

CameraProbe::~CameraProbe() = default;

void CameraProbe::Look(const QString& address, quint16 port) {
    if (Looking())
        return;
    m_aborted = false;
    m_found = false;
    m_finding = ScanFinding();
    m_finding.address = address;
    m_finding.port = port;
    m_stage = Stage::Opening;
    m_camera->Open(address, port);
}

bool CameraProbe::Present() const {
    return m_camera->Connected() && m_camera->ConnectionOpen();
}

void CameraProbe::Close(bool found, bool polite) {
    m_found = found;
    // Nobody on the line: nothing to close.
    if (!m_camera->Connected() && !m_camera->ConnectionOpen()) {
        Done();
        return;
    }
    m_stage = Stage::Closing;
    if (polite)
        m_camera->Disconnect();
    else
        m_camera->Drop();
}

void CameraProbe::Done() {
    m_stage = Stage::Idle;
    emit looked(m_found && !m_aborted, m_finding);
}

void CameraProbe::Abort() {
    if (!Looking() || m_aborted)
        return;
    m_aborted = true;
    // Whatever the look waits for ends now, and the look with it.
    m_camera->Drop();
}

} // namespace kestrel
