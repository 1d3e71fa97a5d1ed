#include "logind_stand_in.h"

#include <QDBusConnection>

#include <fcntl.h>
#include <poll.h>
#include <unistd.h>

namespace kestrel::test {

namespace {
const QString kConnection = QStringLiteral("logind-stand-in");
}

LogindStandIn::~LogindStandIn() {
    QDBusConnection::disconnectFromBus(kConnection);
    m_thread.quit();
    m_thread.wait();
    for (const int end : m_readEnds)
        ::close(end);
    m_bus.terminate();
    m_bus.waitForFinished(5000);
}

bool LogindStandIn::StartBus() {
    m_bus.start(QStringLiteral("dbus-daemon"),
                {QStringLiteral("--session"), QStringLiteral("--print-address"),
                 QStringLiteral("--nofork")});
    while (!m_bus.canReadLine()) {
        if (!m_bus.waitForReadyRead(10000))
            return false;
    }
    m_address = QString::fromUtf8(m_bus.readLine().trimmed());
    return qputenv("DBUS_SYSTEM_BUS_ADDRESS", m_address.toUtf8());
}

bool LogindStandIn::StartManager() {
    QDBusConnection bus = QDBusConnection::connectToBus(m_address, kConnection);
    moveToThread(&m_thread);
    m_thread.start();
    return bus.registerObject(QStringLiteral("/org/freedesktop/login1"), this,
                              QDBusConnection::ExportAllSlots) &&
           bus.registerService(QStringLiteral("org.freedesktop.login1"));
}

QStringList LogindStandIn::Calls() const {
    const QMutexLocker lock(&m_mutex);
    return m_calls;
}

int LogindStandIn::Held() const {
    const QMutexLocker lock(&m_mutex);
    int held = 0;
    for (const int end : m_readEnds) {
        // Nothing to read and no hang-up: a write end is still open.
        pollfd read{end, POLLIN, 0};
        held += ::poll(&read, 1, 0) == 0 ? 1 : 0;
    }
    return held;
}

QDBusUnixFileDescriptor LogindStandIn::Inhibit(const QString& what, const QString& who,
                                               const QString& why, const QString& mode) {
    int ends[2] = {-1, -1};
    if (::pipe2(ends, O_CLOEXEC) != 0)
        return {};
    const QMutexLocker lock(&m_mutex);
    m_calls << QStringList{what, who, why, mode}.join(QLatin1Char('|'));
    m_readEnds.push_back(ends[0]);
    const QDBusUnixFileDescriptor handed(ends[1]); // a copy goes with the reply
    ::close(ends[1]);
    return handed;
}

} // namespace kestrel::test
