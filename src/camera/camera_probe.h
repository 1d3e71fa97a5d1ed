#pragma once

#include "scan_finding.h"
#include "scan_settings.h"

#include <QString>

#include <memory>
#include <optional>

namespace kestrel {

class LogBook;
class SessionEvents;
class LineTransport;
class CommandChannel;
class Connector;
class BusyGate;
class ConnectSequence;
class CameraInfoQuery;

// Looks at one address and port for a camera, without changing anything on
// it, through the same connect sequence, busy gate and information query as
// a connected camera. A port counts as a camera once it has sent a greeting
// line and answered the update status probe with an update status reply. A
// camera with a run in progress is sent nothing else (the busy gate holds
// even the goodbye back); any other is asked for its identity and then told
// goodbye. Lives in the thread that builds it.
class CameraProbe {
public:
    explicit CameraProbe(const ScanSettings& settings);
    ~CameraProbe();
    CameraProbe(const CameraProbe&) = delete;
    CameraProbe& operator=(const CameraProbe&) = delete;

    // Connects, reads the greeting, probes and reads the identity, waiting in
    // nested event loops. Nothing when no camera answered there.
    std::optional<ScanFinding> Look(const QString& address, quint16 port);

    // Ends the look under way at once (it then finds nothing).
    void Abort();

private:
    class Operator;

    // The connector opens the port of its settings: a new port gets a
    // connector and a connect sequence of its own.
    void UsePort(quint16 port);
    // Closes the connection without a word to whoever answered.
    void Drop();

    ScanSettings m_settings;
    std::unique_ptr<LogBook> m_log;
    std::unique_ptr<SessionEvents> m_events;
    std::unique_ptr<Operator> m_operator;
    std::unique_ptr<LineTransport> m_transport;
    std::unique_ptr<CommandChannel> m_channel;
    std::unique_ptr<BusyGate> m_gate;
    std::unique_ptr<CameraInfoQuery> m_info;
    std::unique_ptr<Connector> m_connector;      // for m_port
    std::unique_ptr<ConnectSequence> m_sequence; // on m_connector
    quint16 m_port = 0;
    bool m_aborted = false;
};

} // namespace kestrel
