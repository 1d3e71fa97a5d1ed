#include "camera.h"

#include "call_later.h"

#include "after_connect_check.h"
#include "busy_gate.h"
#include "camera_info_query.h"
#include "connect_sequence.h"
#include "firmware_run.h"

#include "command_channel.h"
#include "connector.h"
#include "line_transport.h"
#include "link_texts.h"
#include "session_io.h"

namespace kestrel {

Camera::Camera(LogBook& log, SessionEvents& events, LinkSettings link, RunSettings run)
    : m_transport(std::make_unique<LineTransport>(link)),
      m_channel(std::make_unique<CommandChannel>(log, *m_transport)),
      m_connector(std::make_unique<Connector>(log, events, *m_transport, *m_channel)),
      m_gate(std::make_unique<BusyGate>(*m_channel)),
      m_sequence(std::make_unique<ConnectSequence>(SessionIo{log, events}, *m_connector, *m_channel,
                                                   *m_gate)),
      m_info(std::make_unique<CameraInfoQuery>(events, *m_gate, *m_transport)),
      m_run(std::make_unique<FirmwareRun>(SessionIo{log, events}, *m_gate, *m_transport,
                                          *m_connector, *m_sequence, run)),
      m_check(std::make_unique<AfterConnectCheck>(*m_connector, *m_info, *m_run, run)) {
    connect(m_sequence.get(), &ConnectSequence::connectFailed, this, &Camera::connectFailed);
    connect(m_transport.get(), &LineTransport::opened, this, &Camera::opened);
    connect(m_transport.get(), &LineTransport::connectionLost, this, &Camera::connectionLost);
    connect(m_connector.get(), &Connector::connectionLost, this, [this](const QString& reason) {
        if (!m_connector->LossExpected())
            emit connectionDropped(reason);
    });
    connect(m_transport.get(), &LineTransport::sent, this, &Camera::lineSent);
    connect(m_transport.get(), &LineTransport::lineReceived, this, &Camera::lineReceived);
    connect(m_check.get(), &AfterConnectCheck::readAgain, this, &Camera::identityRead);
    connect(m_run.get(), &FirmwareRun::announced, this, &Camera::announced);
    connect(m_run.get(), &FirmwareRun::startSent, this, &Camera::startSent);
    connect(m_run.get(), &FirmwareRun::phaseStarted, this, &Camera::phaseStarted);
    connect(m_run.get(), &FirmwareRun::phaseEnded, this, &Camera::phaseEnded);
    connect(m_run.get(), &FirmwareRun::figuresRead, this, &Camera::figuresRead);
    connect(m_run.get(), &FirmwareRun::reconnecting, this, &Camera::reconnecting);
    connect(m_run.get(), &FirmwareRun::reconnected, this, &Camera::reconnected);
    connect(m_run.get(), &FirmwareRun::ended, this, &Camera::runEnded);
}

Camera::~Camera() = default;

void Camera::Later(std::function<void()> call) {
    CallLater(this, std::move(call));
}

void Camera::Connect(const QString& address, quint16 port, FoundRun found) {
    if (m_stopped) {
        Later([this] { emit connectEnded(false); });
        return;
    }
    const bool started =
        m_sequence->Open(address, port, [this, found](std::optional<quint64> generation) {
            if (!generation) {
                emit connectEnded(false);
                return;
            }
            m_looking = true;
            m_check->LookAtCamera([this, generation, found] {
                m_looking = false;
                if (!m_sequence->StillConnected(*generation)) {
                    emit connectEnded(false);
                    return;
                }
                m_sequence->Announce(m_info->CameraNumber(), m_info->Info());
                emit connected();
                if (found == FoundRun::Follow)
                    m_check->FollowRunFound();
                emit connectEnded(true);
            });
        });
    Q_UNUSED(started); // an attempt under way ends for this call too
}

void Camera::Open(const QString& address, quint16 port) {
    m_gate->SetUpdateRunning(false);
    const bool started = m_sequence->Open(address, port, [this](std::optional<quint64> generation) {
        emit openEnded(generation.has_value());
    });
    Q_UNUSED(started);
}

void Camera::Disconnect() {
    m_sequence->Disconnect([this] { emit disconnected(); });
}

void Camera::Drop() {
    m_connector->Disconnect(QByteArray(), [this] { emit disconnected(); });
}

bool Camera::Connected() const {
    return m_connector->Connected();
}

bool Camera::ConnectionOpen() const {
    return m_transport->IsOpen();
}

void Camera::Reconnect() {
    m_sequence->Reconnect([this](bool back) { emit reconnectEnded(back); });
}

QString Camera::Address() const {
    return m_connector->Address();
}

void Camera::ExpectPowerCycle(bool expected) {
    m_connector->ExpectLoss(expected);
}

void Camera::ReadIdentity() {
    m_info->QueryCameraInfo([this] { emit identityRead(); });
}

const CameraIdentity& Camera::Identity() const {
    return m_info->Identity();
}

const QString& Camera::Info() const {
    return m_info->Info();
}

const QString& Camera::CameraNumber() const {
    return m_info->CameraNumber();
}

std::optional<RunOutcome> Camera::Update() {
    return m_run->RunFirmwareUpdate();
}

std::optional<RunOutcome> Camera::Watch() {
    if (!UpdateRunning())
        return RunOutcome::Ignored;
    return m_run->RunFirmwareUpdate();
}

bool Camera::UpdateRunning() const {
    return m_gate->UpdateRunning();
}

void Camera::ProbeRun() {
    m_run->Probe(this, [this](const std::optional<QByteArray>& reply) {
        emit runProbed(reply.value_or(QByteArray()), reply.has_value());
    });
}

bool Camera::RunActive() const {
    return m_run->Active();
}

bool Camera::Busy() const {
    return m_connector->Connecting() || m_sequence->Opening() || m_looking ||
           m_connector->Disconnecting() || m_run->Active() || m_check->Following() ||
           m_info->Querying();
}

void Camera::Stop() {
    m_stopped = true;
    m_run->Stop();
    m_transport->Close();
}

QString Camera::ConnectionLine(const QString& cameraNumber, const QString& address) {
    return texts::ConnectedLine(cameraNumber, address);
}

QString Camera::LossLine(const QString& reason) {
    return texts::ConnectionLostLine(reason);
}

void Camera::SendCommand(const QByteArray& command, QObject* context, Reply done) {
    m_gate->SendCommand(command, context, std::move(done));
}

} // namespace kestrel
