#include "connect_sequence.h"

#include "call_later.h"

#include "busy_gate.h"
#include "camera_commands.h"

#include "command_channel.h"
#include "connector.h"
#include "line_transport.h"
#include "link_texts.h"
#include "log_book.h"
#include "session_events.h"
#include "session_io.h"

namespace kestrel {

namespace {
const QString kNoAddress = QStringLiteral("0.0.0.0");
} // namespace

ConnectSequence::ConnectSequence(SessionIo io, Connector& connector, CommandChannel& channel,
                                 BusyGate& gate)
    : m_log(io.log), m_events(io.events), m_connector(connector), m_channel(channel), m_gate(gate) {
}

bool ConnectSequence::Open(const QString& address, quint16 port, Opened done) {
    // A click while an attempt is under way changes nothing: that attempt
    // ends by itself within the connect timeout.
    if (m_connector.Connecting())
        return false;
    if (address == kNoAddress) {
        Refuse(QStringLiteral("Wrong IP, not connected"));
        CallLater(this, [done = std::move(done)] { done(std::nullopt); });
        return true;
    }
    m_opening = true;
    m_connector.Open(
        address, port,
        [this, address, done = std::move(done)](const LineTransport::ConnectOutcome& outcome) {
            if (!outcome.connected) {
                m_opening = false;
                Refuse(texts::CouldNotConnect(address, outcome.reason));
                done(std::nullopt);
                return;
            }
            const quint64 generation = m_connector.Generation();
            m_log.Restart();
            // The greeting: awaited, not used.
            m_channel.ReadLine(this, [this, generation, done](const std::optional<QByteArray>&) {
                Greeted(generation, done);
            });
        });
    return true;
}

void ConnectSequence::Greeted(quint64 generation, const Opened& done) {
    m_opening = false;
    if (!StillConnected(generation)) {
        emit m_events.infoShown(QString()); // a failed attempt shows no camera
        done(std::nullopt);
        return;
    }
    m_channel.BoundLog();
    done(generation);
}

bool ConnectSequence::StillConnected(quint64 generation) const {
    return m_connector.StillConnected(generation);
}

void ConnectSequence::Announce(const QString& cameraNumber, const QString& info) {
    m_log.Write(texts::ConnectedLine(cameraNumber, m_connector.Address()));
    emit m_events.logShown();
    emit m_events.infoShown(info);
}

void ConnectSequence::Refuse(const QString& message) {
    // The pane shows no camera rather than the last one, as a fresh window.
    emit m_events.infoShown(QString());
    emit connectFailed(message);
    emit m_events.message(message);
}

void ConnectSequence::Disconnect(std::function<void()> done) {
    m_connector.Disconnect(m_gate.Passes(commands::kGoodbye) ? commands::kGoodbye : QByteArray(),
                           std::move(done));
}

void ConnectSequence::Reconnect(std::function<void(bool connected)> done) {
    m_connector.Reopen([this, done = std::move(done)](bool open) {
        if (!open) {
            done(false);
            return;
        }
        const quint64 generation = m_connector.Generation();
        m_channel.ReadLine(this, [this, generation, done](const std::optional<QByteArray>&) {
            done(StillConnected(generation));
        });
    });
}

} // namespace kestrel
