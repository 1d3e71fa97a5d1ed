#pragma once

#include "sim_options.h"
#include "sim_thread.h"

#include <QByteArray>
#include <QTcpSocket>

namespace kestrel::sim::test {

// A plain TCP client in the tool's place, for the simulator's tests: it
// connects to 127.0.0.1 and reads the camera's lines with their line ends,
// byte for byte.
class LineClient {
public:
    static constexpr int kWaitMs = 5000;

    explicit LineClient(quint16 port);

    bool IsConnected() const;

    // The next line with its LF, or whatever came before the camera closed
    // the connection or timeoutMs passed.
    QByteArray ReadLine(int timeoutMs = kWaitMs);

    // Sends command followed by CR LF and returns the reply line as it came.
    QByteArray Command(const QByteArray& command);

    // The reply line without CR LF (for the figures of a run).
    QByteArray Ask(const QByteArray& command);

    void Send(const QByteArray& bytes);

    // Every byte that came until the camera closed the connection or
    // timeoutMs passed; *closed tells which.
    QByteArray ReadUntilClosed(bool* closed, int timeoutMs = kWaitMs);

    // True when no byte arrives within ms (for "the camera stays silent").
    bool SilentFor(int ms);

    QTcpSocket socket;
};

// A simulated camera on 127.0.0.1 with one client connected to it, the
// greeting left unread: where most of the simulator's tests start. started
// tells whether the camera could listen.
struct SimRig {
    explicit SimRig(const SimOptions& options = {});

    SimThread sim;
    bool started;
    LineClient client;
};

} // namespace kestrel::sim::test
