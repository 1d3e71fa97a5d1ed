#include "connector.h"

#include "call_later.h"

#include "command_channel.h"
#include "line_transport.h"
#include "link_texts.h"
#include "log_book.h"
#include "session_events.h"

namespace kestrel {

Connector::Connector(LogBook& log, SessionEvents& events, LineTransport& transport,
                     CommandChannel& channel)
    : m_log(log), m_events(events), m_transport(transport), m_channel(channel) {
    connect(&m_transport, &LineTransport::connectionLost, this, &Connector::OnConnectionLost);
}

void Connector::Open(const QString& address, quint16 port, Opened done) {
    m_bConnecting = true;
    m_transport.Connect(address, port, this,
                        [this, address, port,
                         done = std::move(done)](const LineTransport::ConnectOutcome& outcome) {
                            m_bConnecting = false;
                            if (outcome.connected) {
                                m_address = address;
                                m_port = port;
                                m_bConnected = true;
                                emit m_events.connectionChanged(true);
                            }
                            done(outcome);
                        });
}

void Connector::Reopen(std::function<void(bool open)> done) {
    if (m_bConnected || m_bConnecting || m_bDisconnecting || m_address.isEmpty()) {
        CallLater(this, [done = std::move(done)] { done(false); });
        return;
    }
    Open(m_address, m_port, [done = std::move(done)](const LineTransport::ConnectOutcome& outcome) {
        done(outcome.connected);
    });
}

void Connector::Disconnect(const QByteArray& goodbye, std::function<void()> done) {
    if (m_bDisconnecting) {
        // Nothing to say: the goodbye under way is not waited for any longer.
        if (goodbye.isEmpty())
            m_transport.Close();
        return;
    }
    m_bDisconnecting = true;
    if (goodbye.isEmpty()) {
        // Nothing to wait for; the end is still told from the event loop.
        Close(done);
        return;
    }
    m_channel.SendCommand(
        goodbye, this,
        [this, done = std::move(done)](const std::optional<QByteArray>&) { Close(done); });
}

void Connector::Close(const std::function<void()>& done) {
    m_transport.Close();
    m_bConnected = false;
    emit m_events.connectionChanged(false);
    m_bDisconnecting = false;
    if (done)
        CallLater(this, done);
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
    emit connectionLost(reason);
}

bool Connector::StillConnected(quint64 generation) const {
    return m_bConnected && !m_bDisconnecting && m_transport.IsOpen() &&
           m_transport.Generation() == generation;
}

} // namespace kestrel
