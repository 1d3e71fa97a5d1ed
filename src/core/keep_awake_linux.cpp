#include "keep_awake.h"

#include <QCoreApplication>
#include <QDBusConnection>
#include <QDBusMessage>
#include <QDBusPendingCallWatcher>
#include <QDBusUnixFileDescriptor>
#include <QMutex>

#include <fcntl.h>
#include <unistd.h>

namespace kestrel {

namespace {

// logind answers at once; nothing waits for the answer meanwhile.
constexpr int kAnswerTimeoutMs = 5000;

// logind's lock lasts as long as the descriptor it hands out is open; every
// holder of the process shares one.
struct SharedLock {
    enum class State { None, Asking, Held, Refused };
    QMutex mutex;
    int holders = 0;
    State state = State::None;
    int descriptor = -1; // while Held
};

SharedLock& Lock() {
    static SharedLock lock;
    return lock;
}

// Our own copy of the descriptor in logind's answer, kept from programs this
// one starts (the reply's copy closes with the reply); -1 when there is none.
int HandedDescriptor(const QDBusMessage& reply) {
    if (reply.type() != QDBusMessage::ReplyMessage || reply.arguments().size() != 1)
        return -1;
    const auto handed = qvariant_cast<QDBusUnixFileDescriptor>(reply.arguments().constFirst());
    if (!handed.isValid())
        return -1;
    return ::fcntl(handed.fileDescriptor(), F_DUPFD_CLOEXEC, 0);
}

// The answer has come: the lock is kept while anyone holds a share of it.
void Answered(int descriptor) {
    SharedLock& lock = Lock();
    const QMutexLocker guard(&lock.mutex);
    if (lock.holders > 0 && descriptor >= 0) {
        lock.state = SharedLock::State::Held;
        lock.descriptor = descriptor;
        return;
    }
    if (descriptor >= 0)
        ::close(descriptor); // every holder went before it came
    lock.state = lock.holders > 0 ? SharedLock::State::Refused : SharedLock::State::None;
}

// Asks logind for the lock; in the main thread, where the answer is taken.
void Ask() {
    QDBusConnection bus = QDBusConnection::systemBus();
    if (!bus.isConnected())
        return Answered(-1);
    QDBusMessage call = QDBusMessage::createMethodCall(
        QStringLiteral("org.freedesktop.login1"), QStringLiteral("/org/freedesktop/login1"),
        QStringLiteral("org.freedesktop.login1.Manager"), QStringLiteral("Inhibit"));
    call << QStringLiteral("sleep:idle") << QCoreApplication::applicationName()
         << QStringLiteral("Camera firmware programming in progress") << QStringLiteral("block");
    auto* watcher = new QDBusPendingCallWatcher(bus.asyncCall(call, kAnswerTimeoutMs),
                                                QCoreApplication::instance());
    QObject::connect(watcher, &QDBusPendingCallWatcher::finished, watcher, [watcher] {
        watcher->deleteLater();
        Answered(HandedDescriptor(watcher->reply()));
    });
}

} // namespace

KeepAwake::KeepAwake() {
    SharedLock& lock = Lock();
    QMutexLocker guard(&lock.mutex);
    // A lock asked for and not yet answered serves the new holder as well.
    if (lock.holders++ > 0 || lock.state == SharedLock::State::Asking)
        return;
    QCoreApplication* app = QCoreApplication::instance();
    if (!app) {
        lock.state = SharedLock::State::Refused; // no thread to take an answer
        return;
    }
    lock.state = SharedLock::State::Asking;
    guard.unlock();
    QMetaObject::invokeMethod(
        app, [] { Ask(); }, Qt::AutoConnection);
}

KeepAwake::~KeepAwake() {
    SharedLock& lock = Lock();
    const QMutexLocker guard(&lock.mutex);
    if (--lock.holders > 0)
        return;
    if (lock.state == SharedLock::State::Held)
        ::close(lock.descriptor);
    if (lock.state != SharedLock::State::Asking) {
        lock.state = SharedLock::State::None;
        lock.descriptor = -1;
    }
}

bool KeepAwake::Granted() const {
    SharedLock& lock = Lock();
    const QMutexLocker guard(&lock.mutex);
    return lock.state == SharedLock::State::Held;
}

bool KeepAwake::Answered() const {
    SharedLock& lock = Lock();
    const QMutexLocker guard(&lock.mutex);
    return lock.state == SharedLock::State::Held || lock.state == SharedLock::State::Refused;
}

} // namespace kestrel
