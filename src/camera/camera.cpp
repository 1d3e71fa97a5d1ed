#include "camera.h"

#include "after_connect_check.h"
#include "busy_gate.h"
#include "camera_info_query.h"
#include "connect_sequence.h"
#include "firmware_run.h"

#include "command_channel.h"
#include "connector.h"
#include "line_transport.h"
#include "session_io.h"

namespace kestrel {

Camera::Camera(SessionIo io, LinkSettings link, RunSettings run)
    : m_transport(std::make_unique<LineTransport>(link)),
      m_channel(std::make_unique<CommandChannel>(io, *m_transport)),
      m_connector(std::make_unique<Connector>(io, *m_transport, *m_channel, link)),
      m_gate(std::make_unique<BusyGate>(*m_channel)),
      m_sequence(std::make_unique<ConnectSequence>(io, *m_connector, *m_channel, *m_gate)),
      m_info(std::make_unique<CameraInfoQuery>(io.events, *m_gate, *m_transport)),
      m_run(std::make_unique<FirmwareRun>(io, *m_gate, *m_transport, *m_connector, *m_sequence,
                                          run)),
      m_check(std::make_unique<AfterConnectCheck>(io.input, *m_connector, *m_info, *m_run, run)) {
    connect(m_sequence.get(), &ConnectSequence::connectFailed, this, &Camera::connectFailed);
    connect(m_transport.get(), &LineTransport::opened, this, &Camera::opened);
    connect(m_transport.get(), &LineTransport::connectionLost, this, &Camera::connectionLost);
    connect(m_transport.get(), &LineTransport::sent, this, &Camera::lineSent);
    connect(m_transport.get(), &LineTransport::lineReceived, this, &Camera::lineReceived);
    connect(m_run.get(), &FirmwareRun::phaseStarted, this, &Camera::phaseStarted);
    connect(m_run.get(), &FirmwareRun::figuresRead, this, &Camera::figuresRead);
    connect(m_run.get(), &FirmwareRun::reconnecting, this, &Camera::reconnecting);
    connect(m_run.get(), &FirmwareRun::reconnected, this, &Camera::reconnected);
    connect(m_run.get(), &FirmwareRun::ended, this, &Camera::runEnded);
}

Camera::~Camera() = default;

void Camera::Connect(const QString& address, FoundRun found) {
    const std::optional<quint64> generation = m_sequence->Open(address);
    if (!generation)
        return;
    m_check->LookAtCamera();
    if (!m_sequence->StillConnected(*generation))
        return;
    m_sequence->Announce(m_info->CameraNumber(), m_info->Info());
    emit connected();
    if (found == FoundRun::Follow)
        m_check->FollowRunFound();
}

void Camera::Disconnect() {
    m_sequence->Disconnect();
}

bool Camera::Connected() const {
    return m_connector->Connected();
}

bool Camera::ConnectionOpen() const {
    return m_transport->IsOpen();
}

bool Camera::ReconnectUntil(const std::function<bool()>& keepGoing, int pauseMs) {
    return m_sequence->ReconnectUntil(keepGoing, pauseMs);
}

void Camera::ExpectPowerCycle(bool expected) {
    m_connector->ExpectLoss(expected);
}

void Camera::ReadIdentity() {
    m_info->QueryCameraInfo();
}

const CameraIdentity& Camera::Identity() const {
    return m_info->Identity();
}

const QString& Camera::Info() const {
    return m_info->Info();
}

RunOutcome Camera::Update() {
    return m_run->RunFirmwareUpdate();
}

RunOutcome Camera::Watch() {
    if (!UpdateRunning())
        return RunOutcome::Ignored;
    return m_run->RunFirmwareUpdate();
}

bool Camera::UpdateRunning() const {
    return m_gate->UpdateRunning();
}

QByteArray Camera::ProbeRun() {
    return m_run->Probe();
}

bool Camera::RunActive() const {
    return m_run->Active();
}

void Camera::Stop() {
    m_stopped = true;
    m_run->Stop();
    m_transport->Close();
}

QByteArray Camera::SendCommand(const QByteArray& command) {
    return m_gate->SendCommand(command);
}

} // namespace kestrel
