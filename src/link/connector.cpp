#include "connector.h"

#include "command_channel.h"
#include "line_transport.h"
#include "link_texts.h"
#include "log_book.h"
#include "session_events.h"
#include "session_io.h"

namespace kestrel {

Connector::Connector(SessionIo io, LineTransport& transport, CommandChannel& channel,
                     LinkSettings settings)
    : m_log(io.log), m_events(io.events), m_transport(transport), m_channel(channel),
      m_settings(settings) {
    connect(&m_transport, &LineTransport::connectionLost, this, &Connector::OnConnectionLost);
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

bool Connector::Reopen() {
    if (m_bConnected || m_bConnecting || m_bDisconnecting || m_address.isEmpty())
        return false;
    return Open(m_address).connected;
}

void Connector::Disconnect(const QByteArray& goodbye) {
    if (m_bDisconnecting)
        return;
    m_bDisconnecting = true;
    if (!goodbye.isEmpty())
        m_channel.SendCommand(goodbye);
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
    if (!m_bLossExpected) {
        m_log.Write(texts::ConnectionLostLine(reason));
        emit m_events.logShown();
    }
    emit m_events.connectionChanged(false);
    emit connectionLost();
}

bool Connector::StillConnected(quint64 generation) const {
    return m_bConnected && m_transport.IsOpen() && m_transport.Generation() == generation;
}

} // namespace kestrel
