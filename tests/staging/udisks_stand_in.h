#pragma once

#include <QDBusVirtualObject>
#include <QMap>
#include <QMutex>
#include <QProcess>
#include <QStringList>
#include <QThread>

namespace kestrel::test {

// UDisks2 on a bus of the test's own, which becomes the system bus of this
// process and of the programs it starts; it answers from a thread of its own.
// The machine: a fixed disk at "/", "stick1" with "sdb1", "stick2" with "sdc1"
// and "sdc2", a card reader "reader" with "sdd1", a card slot "slot" that can
// neither be powered off nor eject with "mmcblk0p1" (mounted where Start says).
// Calls are recorded as "Filesystem.Unmount sdb1 auth.no_user_interaction=false".
class UdisksStandIn : public QDBusVirtualObject {
public:
    bool Start(const QStringList& mountPoints); // sdb1, sdc1, sdc2, sdd1, mmcblk0p1
    ~UdisksStandIn() override;
    void Offer(bool offered = true); // owns the UDisks2 name, or not
    // The call (as recorded, without options) gets this error; empty: none.
    void Refuse(const QString& call, const QString& errorName);
    QStringList Calls(); // since the last look

    QString introspect(const QString&) const override { return {}; }
    bool handleMessage(const QDBusMessage& message, const QDBusConnection& connection) override;

private:
    QProcess m_bus;
    QThread m_thread;
    QVariant m_objects; // the answer to GetManagedObjects
    QMutex m_mutex;
    QStringList m_calls;
    QMap<QString, QString> m_refusals;
};

} // namespace kestrel::test
