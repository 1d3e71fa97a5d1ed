#include "sim_thread.h"

#include "camera_sim_server.h"
#include "sim_cameras.h"

#include <QEventLoop>
#include <QMutexLocker>
#include <QTimer>

namespace kestrel::sim {

SimThread::SimThread(SimOptions options) : options_(std::move(options)) {
    thread_.setObjectName(QStringLiteral("kestrel camera sim"));
}

SimThread::~SimThread() {
    if (thread_.isRunning()) {
        // The server is deleted in its own thread once the loop has ended.
        thread_.quit();
        thread_.wait();
    } else {
        delete cameras_; // never moved to a running thread
    }
}

bool SimThread::Start(const QHostAddress& address, quint16 port) {
    if (cameras_) {
        return false;
    }
    cameras_ = new SimCameras(options_);
    for (int i = 0; i < cameras_->Count(); ++i) {
        Record(cameras_->Camera(i));
    }
    QObject::connect(&thread_, &QThread::finished, cameras_, &QObject::deleteLater);
    cameras_->moveToThread(&thread_);
    thread_.start();

    bool listening = false;
    SimCameras* cameras = cameras_;
    QMetaObject::invokeMethod(
        cameras_,
        [this, cameras, &address, port] {
            const bool ok = cameras->Listen(address, port);
            QMutexLocker lock(&mutex_);
            port_ = ok ? cameras->Camera(0).Port() : 0;
            error_ = ok ? QString() : cameras->ErrorString();
            return ok;
        },
        Qt::BlockingQueuedConnection, &listening);
    return listening;
}

void SimThread::Record(CameraSimServer& server) {
    // Recorded in the server's thread, before any queued receiver hears of it.
    QObject::connect(
        &server, &CameraSimServer::LineReceived, &server,
        [this](int, const QByteArray& line) {
            QMutexLocker lock(&mutex_);
            lines_.append(line);
        },
        Qt::DirectConnection);
    QObject::connect(
        &server, &CameraSimServer::ConnectionOpened, &server,
        [this](int, const QString&) {
            QMutexLocker lock(&mutex_);
            ++accepted_;
            ++open_;
        },
        Qt::DirectConnection);
    QObject::connect(
        &server, &CameraSimServer::ConnectionClosed, &server,
        [this](int) {
            QMutexLocker lock(&mutex_);
            --open_;
        },
        Qt::DirectConnection);
}

quint16 SimThread::Port() const {
    QMutexLocker lock(&mutex_);
    return port_;
}

QString SimThread::ErrorString() const {
    QMutexLocker lock(&mutex_);
    return error_;
}

QList<QByteArray> SimThread::ReceivedLines() const {
    QMutexLocker lock(&mutex_);
    return lines_;
}

int SimThread::ConnectionsAccepted() const {
    QMutexLocker lock(&mutex_);
    return accepted_;
}

int SimThread::ConnectionsOpen() const {
    QMutexLocker lock(&mutex_);
    return open_;
}

qsizetype SimThread::LineCount() const {
    QMutexLocker lock(&mutex_);
    return lines_.size();
}

bool SimThread::WaitForReceivedLines(int count, int timeoutMs) {
    if (LineCount() >= count) {
        return true;
    }
    if (!cameras_) {
        return false;
    }
    QEventLoop loop;
    QTimer timeout;
    timeout.setSingleShot(true);
    QObject::connect(&timeout, &QTimer::timeout, &loop, &QEventLoop::quit);
    // Queued to this thread: wakes the loop for every line that arrives.
    for (int i = 0; i < cameras_->Count(); ++i) {
        QObject::connect(&cameras_->Camera(i), &CameraSimServer::LineReceived, &loop,
                         [this, count, &loop] {
                             if (LineCount() >= count) {
                                 loop.quit();
                             }
                         });
    }
    // A line may have come between the first look and the connection.
    if (LineCount() >= count) {
        return true;
    }
    timeout.start(timeoutMs);
    loop.exec();
    return LineCount() >= count;
}

} // namespace kestrel::sim
