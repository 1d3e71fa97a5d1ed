#include "camera_probe.h"

#include "busy_gate.h"
#include "byte_view.h"
#include "camera_info_query.h"
#include "connect_sequence.h"
#include "event_wait.h"
#include "log_book.h"
#include "operator_input.h"
#include "session_events.h"
#include "session_io.h"
#include "status_shape.h"
#include "update_probe.h"

#include "command_channel.h"
#include "connector.h"
#include "line_transport.h"

namespace kestrel {

// Nobody operates a search: it only waits.
class CameraProbe::Operator : public OperatorInput {
public:
    void Wait(int ms) override { WaitServingEvents(ms); }
};

namespace {

LinkSettings ProbeLink(const ScanSettings& settings, quint16 port) {
    LinkSettings link;
    link.cameraPort = port;
    link.connectTimeoutMs = settings.connectTimeoutMs;
    link.replyTimeoutMs = settings.greetingTimeoutMs;
    return link;
}

} // namespace

CameraProbe::CameraProbe(const ScanSettings& settings)
    : m_settings(settings), m_log(std::make_unique<LogBook>()),
      m_events(std::make_unique<SessionEvents>()), m_operator(std::make_unique<Operator>()),
      // The transport is given the port on each connection, by the connector.
      m_transport(std::make_unique<LineTransport>(ProbeLink(settings, 0))),
      m_channel(std::make_unique<CommandChannel>(SessionIo{*m_log, *m_events, *m_operator},
                                                 *m_transport)),
      m_gate(std::make_unique<BusyGate>(*m_channel)),
      m_info(std::make_unique<CameraInfoQuery>(*m_events, *m_gate, *m_transport)) {}

CameraProbe::~CameraProbe() = default;

void CameraProbe::UsePort(quint16 port) {
    if (m_connector && m_port == port)
        return;
    const SessionIo io{*m_log, *m_events, *m_operator};
    m_sequence.reset();
    m_connector = std::make_unique<Connector>(io, *m_transport, *m_channel,
                                              ProbeLink(m_settings, port));
    m_sequence = std::make_unique<ConnectSequence>(io, *m_connector, *m_channel, *m_gate);
    m_port = port;
}

std::optional<ScanFinding> CameraProbe::Look(const QString& address, quint16 port) {
    m_aborted = false;
    m_gate->SetUpdateRunning(false);
    UsePort(port);
    // Only a server that speaks first is asked anything: the sequence awaits
    // the greeting, and one that stays silent is lost within the time limit.
    const std::optional<quint64> generation = m_sequence->Open(address);
    if (!generation || m_aborted) {
        Drop();
        return std::nullopt;
    }
    const QByteArray status = ProbeUpdateStatus(*m_gate);
    if (!m_sequence->StillConnected(*generation) || m_aborted || !IsStatusReply(View(status))) {
        Drop();
        return std::nullopt;
    }
    ScanFinding finding;
    finding.address = address;
    finding.port = port;
    if (m_gate->UpdateRunning()) {
        finding.state = ScanFinding::State::Programming;
    } else {
        m_info->QueryCameraInfo();
        finding.identity = m_info->Identity();
        if (!m_sequence->StillConnected(*generation))
            finding.state = ScanFinding::State::Lost;
    }
    // Goodbye, unless the busy gate refuses it while a run is in progress:
    // then nothing goes out.
    m_sequence->Disconnect();
    if (m_aborted)
        return std::nullopt;
    return finding;
}

void CameraProbe::Drop() {
    m_connector->Disconnect(QByteArray());
}

void CameraProbe::Abort() {
    m_aborted = true;
    m_transport->Close();
}

} // namespace kestrel
