#pragma once

#include "sim_options.h"

#include <QHostAddress>
#include <QObject>
#include <QString>

#include <vector>

namespace kestrel::sim {

class CameraSimServer;

// The cameras one simulator serves (SimOptions::cameras of them), all from
// the event loop of the thread they live in: each a CameraSimServer of its
// own, with its own state and connections, on consecutive ports, serial
// numbers counted on from the first camera's.
class SimCameras : public QObject {
    Q_OBJECT

public:
    explicit SimCameras(const SimOptions& options, QObject* parent = nullptr);
    ~SimCameras() override;

    // Listens, the first camera on port and each further one on the next.
    // Port 0 takes the first of enough free ports in a row. False when a
    // port cannot be had (FailedPort() and ErrorString() say which and why);
    // then none listens.
    bool Listen(const QHostAddress& address, quint16 port);

    int Count() const { return static_cast<int>(cameras_.size()); }
    // The camera at index, 0 the first; connect to its signals before Listen
    // to hear of a run that starts there.
    CameraSimServer& Camera(int index) const {
        return *cameras_.at(static_cast<std::size_t>(index));
    }
    int FailedPort() const { return failedPort_; }
    QString ErrorString() const { return error_; }

    // How often Listen tries other ports when port 0 was asked for and a
    // port after the first free one was taken.
    static constexpr int kPortAttempts = 50;

private:
    // Which camera could not listen, or -1 when all do.
    int ListenFrom(const QHostAddress& address, quint16 first);

    std::vector<CameraSimServer*> cameras_; // children of this object
    int failedPort_ = 0;
    QString error_;
};

} // namespace kestrel::sim
