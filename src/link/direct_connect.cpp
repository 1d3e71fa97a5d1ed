#include "direct_connect.h"

#include <QHostAddress>
#include <QSocketNotifier>

#ifdef Q_OS_UNIX
#include <arpa/inet.h>
#include <cerrno>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>
#endif

namespace kestrel {

DirectConnect::DirectConnect(QObject* parent) : QObject(parent) {}

DirectConnect::~DirectConnect() {
    Cancel();
}

bool DirectConnect::Start(const QString& host, quint16 port) {
    Cancel();
#ifdef Q_OS_UNIX
    QHostAddress address;
    if (!address.setAddress(host) || address.protocol() != QAbstractSocket::IPv4Protocol)
        return false;
    const int descriptor = ::socket(AF_INET, SOCK_STREAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0);
    if (descriptor < 0)
        return false;
    sockaddr_in peer{};
    peer.sin_family = AF_INET;
    peer.sin_port = htons(port);
    peer.sin_addr.s_addr = htonl(address.toIPv4Address());
    m_descriptor = descriptor;
    if (::connect(descriptor, reinterpret_cast<const sockaddr*>(&peer), sizeof peer) == 0) {
        End(0);
        return true;
    }
    if (errno != EINPROGRESS) {
        const int error = errno;
        if (error != ECONNREFUSED) {
            Cancel();
            return false;
        }
        End(error);
        return true;
    }
    m_notifier = new QSocketNotifier(descriptor, QSocketNotifier::Write, this);
    connect(m_notifier, &QSocketNotifier::activated, this, &DirectConnect::OnWritable);
    return true;
#else
    Q_UNUSED(host);
    Q_UNUSED(port);
    return false;
#endif
}

void DirectConnect::OnWritable() {
#ifdef Q_OS_UNIX
    int error = 0;
    socklen_t length = sizeof error;
    if (::getsockopt(static_cast<int>(m_descriptor), SOL_SOCKET, SO_ERROR, &error, &length) != 0)
        error = errno;
    End(error);
#endif
}

void DirectConnect::End(int error) {
    if (m_notifier) {
        m_notifier->setEnabled(false);
        m_notifier->deleteLater();
        m_notifier = nullptr;
    }
    const qintptr descriptor = m_descriptor;
    m_descriptor = -1;
#ifdef Q_OS_UNIX
    if (error == 0) {
        emit connected(descriptor);
        return;
    }
    ::close(static_cast<int>(descriptor));
    if (error == ECONNREFUSED)
        emit refused();
    else
        emit declined();
#else
    Q_UNUSED(error);
    Q_UNUSED(descriptor);
#endif
}

void DirectConnect::Release(qintptr descriptor) {
#ifdef Q_OS_UNIX
    ::close(static_cast<int>(descriptor));
#else
    Q_UNUSED(descriptor);
#endif
}

void DirectConnect::Cancel() {
    if (m_notifier) {
        m_notifier->setEnabled(false);
        m_notifier->deleteLater();
        m_notifier = nullptr;
    }
#ifdef Q_OS_UNIX
    if (m_descriptor >= 0)
        ::close(static_cast<int>(m_descriptor));
#endif
    m_descriptor = -1;
}

} // namespace kestrel
