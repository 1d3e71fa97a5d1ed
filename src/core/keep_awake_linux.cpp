#include "keep_awake.h"

#include <QCoreApplication>
#include <QDBusConnection>
#include <QDBusMessage>
#include <QDBusUnixFileDescriptor>
#include <QMutex>

#include <fcntl.h>
#include <unistd.h>

namespace kestrel {

namespace {

// logind answers at once; a bus that does not is not waited for long, as the
// window does not serve its events meanwhile.
constexpr int kAnswerTimeoutMs = 1000;

// logind's lock lasts as long as the descriptor it hands out is open; every
// holder of the process shares one.
struct SharedLock {
    QMutex mutex;
    int holders = 0;
    int descriptor = -1;
};

SharedLock& Lock() {
    static SharedLock lock;
    return lock;
}

// Asks logind for the lock; its descriptor, or -1 when there is none to have.
int Inhibit() {
    const QDBusConnection bus = QDBusConnection::systemBus();
    if (!bus.isConnected())
        return -1;
    QDBusMessage call = QDBusMessage::createMethodCall(
        QStringLiteral("org.freedesktop.login1"), QStringLiteral("/org/freedesktop/login1"),
        QStringLiteral("org.freedesktop.login1.Manager"), QStringLiteral("Inhibit"));
    call << QStringLiteral("sleep:idle") << QCoreApplication::applicationName()
         << QStringLiteral("Camera firmware programming in progress") << QStringLiteral("block");
    const QDBusMessage reply = bus.call(call, QDBus::Block, kAnswerTimeoutMs);
    if (reply.type() != QDBusMessage::ReplyMessage || reply.arguments().size() != 1)
        return -1;
    const auto handed = qvariant_cast<QDBusUnixFileDescriptor>(reply.arguments().constFirst());
    if (!handed.isValid())
        return -1;
    // A copy of our own, kept from programs this one starts; the reply's
    // copy closes with the reply.
    return ::fcntl(handed.fileDescriptor(), F_DUPFD_CLOEXEC, 0);
}

} // namespace

KeepAwake::KeepAwake() {
    SharedLock& lock = Lock();
    const QMutexLocker guard(&lock.mutex);
    if (lock.holders++ == 0)
        lock.descriptor = Inhibit();
    m_granted = lock.descriptor >= 0;
}

KeepAwake::~KeepAwake() {
    SharedLock& lock = Lock();
    const QMutexLocker guard(&lock.mutex);
    if (--lock.holders == 0 && lock.descriptor >= 0) {
        ::close(lock.descriptor);
        lock.descriptor = -1;
    }
}

} // namespace kestrel
