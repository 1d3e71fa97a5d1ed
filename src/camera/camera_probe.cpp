#include "camera_probe.h"

#include "byte_view.h"
#include "camera_commands.h"
#include "event_wait.h"
#include "log_book.h"
#include "operator_input.h"
#include "session_events.h"
#include "session_io.h"
#include "status_shape.h"
#include "update_probe.h"

#include "camera_info.h"
#include "command_channel.h"
#include "line_transport.h"

namespace kestrel {

// Nobody operates a search: there is no address field and no chooser.
class CameraProbe::Operator : public OperatorInput {
public:
    QString address;
    QString ReadCameraAddress() override { return address; }
    std::optional<QString> ChooseExistingFile(const QString&, const QList<FileFilter>&) override {
        return std::nullopt;
    }
    std::optional<QString> ChooseFolder() override { return std::nullopt; }
    void Wait(int ms) override { WaitServingEvents(ms); }
};

namespace {

LinkSettings ProbeLink(const ScanSettings& settings) {
    LinkSettings link;
    link.connectTimeoutMs = settings.connectTimeoutMs;
    link.replyTimeoutMs = settings.greetingTimeoutMs;
    return link;
}

} // namespace

CameraProbe::CameraProbe(const ScanSettings& settings)
    : m_log(std::make_unique<LogBook>()), m_events(std::make_unique<SessionEvents>()),
      m_operator(std::make_unique<Operator>()),
      m_transport(std::make_unique<LineTransport>(ProbeLink(settings))),
      m_channel(std::make_unique<CommandChannel>(SessionIo{*m_log, *m_events, *m_operator},
                                                 *m_transport, commands::kDuringRun)),
      m_info(std::make_unique<CameraInfoQuery>(*m_events, *m_channel, *m_transport)) {
    m_channel->SetRunFlag([this] { return m_runInProgress; });
}

CameraProbe::~CameraProbe() = default;

std::optional<ScanFinding> CameraProbe::Look(const QString& address, quint16 port) {
    m_aborted = false;
    m_runInProgress = false;
    m_operator->address = address;
    if (!m_transport->Connect(address, port).connected)
        return std::nullopt;
    // Only a server that speaks first is asked anything.
    if (!m_transport->ReadLine() || m_aborted) {
        m_transport->Close();
        return std::nullopt;
    }
    const QByteArray status = ProbeUpdateStatus(m_runInProgress, *m_channel);
    if (!m_transport->IsOpen() || m_aborted || !IsStatusReply(View(status))) {
        m_transport->Close();
        return std::nullopt;
    }
    ScanFinding finding;
    finding.address = address;
    finding.port = port;
    if (m_runInProgress) {
        finding.state = ScanFinding::State::Programming;
    } else {
        m_info->QueryCameraInfo();
        finding.identity = m_info->Identity();
        if (!m_transport->IsOpen())
            finding.state = ScanFinding::State::Lost;
    }
    // Refused by the busy gate while a run is in progress: then nothing goes out.
    m_channel->SendCommand(commands::kGoodbye);
    m_transport->Close();
    if (m_aborted)
        return std::nullopt;
    return finding;
}

void CameraProbe::Abort() {
    m_aborted = true;
    m_transport->Close();
}

} // namespace kestrel
