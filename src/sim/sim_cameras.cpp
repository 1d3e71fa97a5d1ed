#include "sim_cameras.h"

#include "camera_sim_server.h"
#include "open_file_limit.h"

namespace kestrel::sim {

namespace {

constexpr int kLastPort = 65535;

} // namespace

SimCameras::SimCameras(const SimOptions& options, QObject* parent) : QObject(parent) {
    cameras_.reserve(static_cast<std::size_t>(options.cameras));
    for (int i = 0; i < options.cameras; ++i) {
        cameras_.push_back(new CameraSimServer(options.ForCamera(i), this));
    }
}

SimCameras::~SimCameras() = default;

bool SimCameras::Listen(const QHostAddress& address, quint16 port) {
    if (Count() > 1) {
        kestrel::RaiseOpenFileLimit();
    }
    int failed = ListenFrom(address, port);
    // Any free port first, then the ports after it: one of those may be
    // taken, or past the last; then another first port is tried.
    for (int attempt = 1; port == 0 && failed > 0 && attempt < kPortAttempts; ++attempt) {
        failed = ListenFrom(address, 0);
    }
    if (failed > 0 && port == 0) {
        error_ = QStringLiteral("no %1 free ports in a row found in %2 attempts; the last "
                                "failed at port %3: %4")
                     .arg(Count())
                     .arg(kPortAttempts)
                     .arg(failedPort_)
                     .arg(error_);
        failedPort_ = 0;
    }
    return failed < 0;
}

int SimCameras::ListenFrom(const QHostAddress& address, quint16 first) {
    int base = first;
    for (int i = 0; i < Count(); ++i) {
        const int port = base + i;
        const bool listening =
            port <= kLastPort && Camera(i).Listen(address, static_cast<quint16>(port));
        if (!listening) {
            failedPort_ = port;
            error_ = port > kLastPort ? QStringLiteral("the last port is %1").arg(kLastPort)
                                      : Camera(i).ErrorString();
            for (int j = 0; j < i; ++j) {
                Camera(j).Close();
            }
            return i;
        }
        if (i == 0) {
            base = Camera(0).Port();
        }
    }
    failedPort_ = 0;
    error_.clear();
    return -1;
}

} // namespace kestrel::sim
