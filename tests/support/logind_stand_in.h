#pragma once

#include <QDBusUnixFileDescriptor>
#include <QMutex>
#include <QObject>
#include <QProcess>
#include <QStringList>
#include <QThread>

#include <vector>

namespace kestrel::test {

// logind's manager as the tests need it, on a message bus of the test's own
// that stands in for the system bus. Each Inhibit call is recorded and given
// the write end of a pipe; its read end tells whether the holder has let go.
// The manager answers in a thread of its own, so the code under test may
// call it and wait for the answer from any thread.
class LogindStandIn : public QObject {
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "org.freedesktop.login1.Manager")
public:
    ~LogindStandIn() override;

    // Starts the bus and points DBUS_SYSTEM_BUS_ADDRESS at it; before anything
    // in the process has used the system bus.
    bool StartBus();
    // Puts the manager on the bus.
    bool StartManager();
    QString Address() const { return m_address; }

    // Each Inhibit call so far, as "what|who|why|mode".
    QStringList Calls() const;
    // How many of the ends handed out are still open somewhere.
    int Held() const;

public slots:
    QDBusUnixFileDescriptor Inhibit(const QString& what, const QString& who, const QString& why,
                                    const QString& mode);

private:
    QProcess m_bus;
    QString m_address;
    QThread m_thread;
    mutable QMutex m_mutex; // guards the members below
    QStringList m_calls;
    std::vector<int> m_readEnds;
};

} // namespace kestrel::test
