#pragma once

#include <QDBusVirtualObject>
#include <QMap>
#include <QMutex>
#include <QProcess>
#include <QStringList>
#include <QThread>
#include <QVariantMap>

namespace kestrel::test {

// UDisks2 standing in on a bus of the test's own, which becomes the system
// bus of this process (and of the programs it starts). It answers from a
// thread of its own, so also while the test's thread is blocked.
//
// Its machine: a fixed disk "ssd" mounted at "/", a stick "stick1" of one
// partition "sdb1", a stick "stick2" of two partitions "sdc1" and "sdc2", and
// a card reader "reader" with a card "sdd1"; each stick's mount points are
// given. Every call is recorded as "Interface.Method block options", for
// example "Filesystem.Unmount sdb1 auth.no_user_interaction=false".
class UdisksStandIn : public QDBusVirtualObject {
public:
    struct MountPoints {
        QString sdb1, sdc1, sdc2, sdd1;
    };

    // Starts the bus; nothing owns the UDisks2 name until Offer.
    bool Start(const MountPoints& mounts);
    ~UdisksStandIn() override;

    void Offer();
    void Withdraw();
    // The call (as recorded, without options) is answered with this error;
    // an empty name answers it again.
    void Refuse(const QString& call, const QString& errorName, const QString& text);
    QStringList Calls();
    QString BusAddress() const { return m_address; }

    QString introspect(const QString& path) const override;
    bool handleMessage(const QDBusMessage& message, const QDBusConnection& connection) override;

private:
    QProcess m_bus;
    QThread m_thread;
    QString m_address;
    QVariant m_objects; // the answer to GetManagedObjects
    QMutex m_mutex;
    QStringList m_calls;
    QMap<QString, std::pair<QString, QString>> m_refusals;
};

} // namespace kestrel::test
