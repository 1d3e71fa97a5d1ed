#pragma once

#include "sim_options.h"

#include <QByteArray>
#include <QHostAddress>
#include <QList>
#include <QMutex>
#include <QString>
#include <QThread>

namespace kestrel::sim {

class CameraSimServer;
class SimCameras;

// Simulated cameras (SimOptions::cameras of them, on consecutive ports)
// serving from one thread of their own, for tests and benchmarks in which the
// calling thread plays the tool. Every accessor may be called from any
// thread; the counts and lines are those of all cameras together. The calling
// thread needs a QCoreApplication for WaitForReceivedLines.
class SimThread {
public:
    explicit SimThread(SimOptions options);
    ~SimThread();

    SimThread(const SimThread&) = delete;
    SimThread& operator=(const SimThread&) = delete;

    // Starts the thread and listens; returns once listening, false when the
    // address or port cannot be had (ErrorString() says why) or on a second
    // call.
    bool Start(const QHostAddress& address = QHostAddress(QHostAddress::LocalHost),
               quint16 port = 0);

    // The first camera's port; camera i listens on Port() + i.
    quint16 Port() const;
    QString ErrorString() const;

    // Every command line received over all connections, in order, without its
    // line end, exactly as the bytes came. Lines that came behind the one at
    // which the camera closed a connection are not read.
    QList<QByteArray> ReceivedLines() const;
    int ConnectionsAccepted() const;
    int ConnectionsOpen() const;

    // Serves the calling thread's event loop until at least count lines have
    // arrived or timeoutMs have passed; true when they arrived.
    bool WaitForReceivedLines(int count, int timeoutMs);

private:
    void Record(CameraSimServer& server);
    qsizetype LineCount() const;

    const SimOptions options_;
    QThread thread_;
    SimCameras* cameras_ = nullptr; // lives in thread_, deleted when it ends

    mutable QMutex mutex_;
    QList<QByteArray> lines_;
    int accepted_ = 0;
    int open_ = 0;
    quint16 port_ = 0;
    QString error_;
};

} // namespace kestrel::sim
