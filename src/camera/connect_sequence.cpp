#include "connect_sequence.h"

#include "busy_gate.h"
#include "camera_commands.h"

#include "command_channel.h"
#include "connector.h"
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

ConnectSequence::ConnectSequence(SessionIo io, Connector& connector, CommandChannel& channel,
                                 BusyGate& gate)
    : m_log(io.log), m_events(io.events), m_input(io.input), m_connector(connector),
      m_channel(channel), m_gate(gate) {}

std::optional<quint64> ConnectSequence::Open(const QString& address) {
    // A click while an attempt is under way changes nothing: that attempt
    // ends by itself within the connect timeout.
    if (m_connector.Connecting())
        return std::nullopt;
    if (address == kNoAddress) {
        Refuse(QStringLiteral("Wrong IP, not connected"));
        return std::nullopt;
    }
    const LineTransport::ConnectOutcome outcome = m_connector.Open(address);
    if (!outcome.connected) {
        Refuse(texts::CouldNotConnect(address, outcome.reason));
        return std::nullopt;
    }
    const quint64 generation = m_connector.Generation();
    m_log.Restart();

    m_channel.ReadLine(); // the greeting: awaited, not used
    if (!StillConnected(generation)) {
        emit m_events.infoShown(QString()); // a failed attempt shows no camera
        return std::nullopt;
    }
    m_channel.BoundLog();
    return generation;
}

bool ConnectSequence::StillConnected(quint64 generation) const {
    return m_connector.StillConnected(generation);
}

void ConnectSequence::Announce(const QString& cameraNumber, const QString& info) {
    m_log.Write(QStringLiteral("Connected to camera n\u00B0") + cameraNumber +
                QStringLiteral(" @ IP=") + m_connector.Address() + QStringLiteral("\r\n"));
    emit m_events.logShown();
    emit m_events.infoShown(info);
}

void ConnectSequence::Refuse(const QString& message) {
    // The pane shows no camera rather than the last one, as a fresh window.
    emit m_events.infoShown(QString());
    emit connectFailed(message);
    emit m_events.message(message);
}

void ConnectSequence::Disconnect() {
    m_connector.Disconnect(m_gate.Passes(commands::kGoodbye) ? commands::kGoodbye : QByteArray());
}

bool ConnectSequence::Reconnect() {
    if (!m_connector.Reopen())
        return false;
    const quint64 generation = m_connector.Generation();
    m_channel.ReadLine(); // the greeting
    return StillConnected(generation);
}

bool ConnectSequence::ReconnectUntil(const std::function<bool()>& keepGoing, int pauseMs) {
    for (;;) {
        if (!keepGoing())
            return false;
        if (m_connector.StillConnected(m_connector.Generation()))
            return true;
        if (!Reconnect())
            m_input.Wait(pauseMs);
    }
}

} // namespace kestrel
