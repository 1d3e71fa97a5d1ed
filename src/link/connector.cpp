#include "connector.h"

#include "command_channel.h"
#include "line_transport.h"
#include "link_texts.h"
#include "log_book.h"
#include "operator_input.h"
#include "session_events.h"
#include "session_io.h"

namespace kestrel {

namespace {
const QString kNoAddress = QStringLiteral("0.0.0.0");
} // namespace

Connector::Connector(SessionIo io, LineTransport& transport, CommandChannel& channel,
                     LinkSettings settings, QByteArray goodbye)
    : m_log(io.log), m_events(io.events), m_input(io.input),
      m_transport(transport), m_channel(channel),
      m_settings(settings), m_goodbye(std::move(goodbye)) {
    connect(&m_transport, &LineTransport::connectionLost, this, &Connector::OnConnectionLost);
}

void Connector::OnBnClickedConnect() {
    if (m_bConnected)
        Disconnect();
    else
        Connect();
}

void Connector::Connect() {
    // A click while an attempt is under way changes nothing: that attempt
    // ends by itself within the connect timeout.
    if (m_bConnecting)
        return;
    const QString address = m_input.ReadCameraAddress();
    if (address == kNoAddress) {
        Refuse(QStringLiteral("Wrong IP, not connected"));
        return;
    }

    const LineTransport::ConnectOutcome outcome = Open(address);
    if (!outcome.connected) {
        Refuse(texts::CouldNotConnect(address, outcome.reason));
        return;
    }
    const quint64 generation = m_transport.Generation();
    m_log.Restart();

    m_channel.ReadLine(); // the greeting: awaited, not used
    if (!StillConnected(generation)) {
        emit m_events.infoShown(QString()); // a failed attempt shows no camera
        return;
    }
    m_channel.BoundLog();

    if (m_after.pointA)
        m_after.pointA();
    if (!StillConnected(generation))
        return;

    const QString number = m_after.cameraNumber ? m_after.cameraNumber() : QString();
    m_log.Write(QStringLiteral("Connected to camera n\u00B0") + number + QStringLiteral(" @ IP=") +
                address + QStringLiteral("\r\n"));
    emit m_events.logShown();
    emit m_events.infoShown(m_after.info ? m_after.info() : QString());
    emit connected();

    if (m_after.pointB)
        m_after.pointB();
}

void Connector::Refuse(const QString& message) {
    // The pane shows no camera rather than the last one, as a fresh window.
    emit m_events.infoShown(QString());
    emit connectFailed(message);
    emit m_events.message(message);
}

LineTransport::ConnectOutcome Connector::Open(const QString& address) {
    m_bConnecting = true;
    const LineTransport::ConnectOutcome outcome =
        m_transport.Connect(address, m_settings.cameraPort);
    m_bConnecting = false;
    if (outcome.connected) {
        m_address = address;
        m_bConnected = true;
        emit m_events.connectionChanged(true);
    }
    return outcome;
}

bool Connector::Reconnect() {
    if (m_bConnected || m_bConnecting || m_bDisconnecting || m_address.isEmpty())
        return false;
    if (!Open(m_address).connected)
        return false;
    const quint64 generation = m_transport.Generation();
    m_channel.ReadLine(); // the greeting
    return StillConnected(generation);
}

bool Connector::ReconnectUntil(const std::function<bool()>& keepGoing, int pauseMs) {
    for (;;) {
        if (!keepGoing())
            return false;
        if (m_bConnected && m_transport.IsOpen())
            return true;
        if (!Reconnect())
            m_input.Wait(pauseMs);
    }
}

void Connector::Disconnect() {
    if (m_bDisconnecting)
        return;
    m_bDisconnecting = true;
    m_channel.SendCommand(m_goodbye);
    m_transport.Close();
    m_bConnected = false;
    emit m_events.connectionChanged(false);
    m_bDisconnecting = false;
}

void Connector::OnConnectionLost(const QString& reason) {
    // While the operator disconnects, the end of the connection is expected.
    if (m_bDisconnecting || !m_bConnected)
        return;
    m_bConnected = false;
    m_log.Write(texts::ConnectionLostLine(reason));
    emit m_events.logShown();
    emit m_events.connectionChanged(false);
    emit connectionLost();
}

bool Connector::StillConnected(quint64 generation) const {
    return m_bConnected && m_transport.IsOpen() && m_transport.Generation() == generation;
}

} // namespace kestrel
