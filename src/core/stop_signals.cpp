#include "stop_signals.h"

#include <QMetaObject>

#ifdef Q_OS_WIN
#include <windows.h>
#else
#include <QSocketNotifier>

#include <csignal>
#include <sys/socket.h>
#include <unistd.h>
#endif

namespace kestrel {

#ifdef Q_OS_WIN

namespace {

StopSignals* g_instance = nullptr;

BOOL WINAPI OnConsoleControl(DWORD) {
    // Runs in a thread of its own: only post to the application's thread.
    // A second request finds the system's handler again, which ends the
    // program.
    SetConsoleCtrlHandler(OnConsoleControl, FALSE);
    QMetaObject::invokeMethod(g_instance, &StopSignals::stopRequested, Qt::QueuedConnection);
    return TRUE;
}

} // namespace

StopSignals::StopSignals(QObject* parent) : QObject(parent) {}

StopSignals::~StopSignals() {
    if (g_instance != this)
        return; // another instance's handler stays
    SetConsoleCtrlHandler(OnConsoleControl, FALSE);
    g_instance = nullptr;
}

bool StopSignals::Install() {
    if (g_instance)
        return false; // one instance per process
    g_instance = this;
    return SetConsoleCtrlHandler(OnConsoleControl, TRUE) != 0;
}

#else

namespace {

// The handler only writes one byte here; the event loop reads it.
int g_signalPipe[2] = {-1, -1};

extern "C" void OnStopSignal(int) {
    const char byte = 1;
    [[maybe_unused]] const ssize_t written = ::write(g_signalPipe[0], &byte, 1);
}

} // namespace

StopSignals::StopSignals(QObject* parent) : QObject(parent) {}

StopSignals::~StopSignals() {
    if (m_installed) { // not when another instance has the handlers
        std::signal(SIGINT, SIG_DFL);
        std::signal(SIGTERM, SIG_DFL);
        qDeleteAll(findChildren<QSocketNotifier*>()); // before its descriptor goes
        ::close(g_signalPipe[0]);
        ::close(g_signalPipe[1]);
        g_signalPipe[0] = g_signalPipe[1] = -1;
    }
}

bool StopSignals::Install() {
    if (g_signalPipe[0] >= 0) {
        return false; // one instance per process
    }
    if (::socketpair(AF_UNIX, SOCK_STREAM, 0, g_signalPipe) != 0) {
        g_signalPipe[0] = g_signalPipe[1] = -1;
        return false;
    }
    m_installed = true;
    auto* notifier = new QSocketNotifier(g_signalPipe[1], QSocketNotifier::Read, this);
    connect(notifier, &QSocketNotifier::activated, this, [this, notifier] {
        notifier->setEnabled(false);
        char byte = 0;
        [[maybe_unused]] const ssize_t read = ::read(g_signalPipe[1], &byte, 1);
        // A second request ends the program at once.
        std::signal(SIGINT, SIG_DFL);
        std::signal(SIGTERM, SIG_DFL);
        emit stopRequested();
    });
    struct sigaction action = {};
    action.sa_handler = OnStopSignal;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    return ::sigaction(SIGINT, &action, nullptr) == 0 &&
           ::sigaction(SIGTERM, &action, nullptr) == 0;
}

#endif

} // namespace kestrel
