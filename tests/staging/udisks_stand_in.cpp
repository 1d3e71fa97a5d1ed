#include "udisks_stand_in.h"

#include <QDBusConnection>
#include <QDBusMessage>
#include <QDBusMetaType>
#include <QDBusObjectPath>

using Interfaces = QMap<QString, QVariantMap>;
using Objects = QMap<QDBusObjectPath, Interfaces>;
Q_DECLARE_METATYPE(Interfaces)
Q_DECLARE_METATYPE(Objects)

namespace kestrel::test {

namespace {

const QString kName = QStringLiteral("org.freedesktop.UDisks2");
const QString kConnection = QStringLiteral("udisks-stand-in");

QDBusObjectPath Path(const QString& kind, const QString& name) {
    return QDBusObjectPath("/org/freedesktop/UDisks2/" + kind + '/' + name);
}

// leaves: the drive can be powered off and eject its medium.
void AddDrive(Objects& objects, const QString& name, bool removable, const QString& media,
              bool leaves = true) {
    objects[Path("drives", name)][kName + ".Drive"] = {
        {"Removable", removable},
        {"MediaRemovable", media.startsWith("flash_")},
        {"Ejectable", removable && leaves},
        {"CanPowerOff", removable && leaves},
        {"Media", media}};
}

void AddBlock(Objects& objects, const QString& name, const QString& drive, const QString& at) {
    const QByteArray device = "/dev/" + name.toUtf8() + '\0';
    Interfaces& block = objects[Path("block_devices", name)];
    block[kName + ".Block"] = {{"Device", device},
                               {"PreferredDevice", device},
                               {"Drive", QVariant::fromValue(Path("drives", drive))}};
    block[kName + ".Filesystem"] = {
        {"MountPoints", QVariant::fromValue(QByteArrayList{at.toUtf8() + '\0'})}};
}

} // namespace

bool UdisksStandIn::Start(const QStringList& mountPoints) {
    qDBusRegisterMetaType<QByteArrayList>();
    qDBusRegisterMetaType<Interfaces>();
    qDBusRegisterMetaType<Objects>();
    Objects objects;
    AddDrive(objects, "ssd", false, "");
    AddDrive(objects, "stick1", true, "thumb");
    AddDrive(objects, "stick2", true, "thumb");
    AddDrive(objects, "reader", true, "flash_sd");
    AddDrive(objects, "slot", true, "flash_sd", false);
    AddBlock(objects, "nvme0n1p2", "ssd", "/");
    const QStringList blocks{"sdb1", "sdc1", "sdc2", "sdd1", "mmcblk0p1"};
    const QStringList drives{"stick1", "stick2", "stick2", "reader", "slot"};
    for (qsizetype i = 0; i < blocks.size(); ++i)
        AddBlock(objects, blocks[i], drives[i], mountPoints.value(i));
    m_objects = QVariant::fromValue(objects);

    m_bus.start("dbus-daemon", {"--session", "--print-address", "--nofork"});
    if (!m_bus.waitForReadyRead(10000))
        return false;
    const QByteArray address = m_bus.readLine().trimmed();
    qputenv("DBUS_SYSTEM_BUS_ADDRESS", address);
    QDBusConnection bus = QDBusConnection::connectToBus(QString::fromUtf8(address), kConnection);
    if (!bus.registerVirtualObject("/org/freedesktop/UDisks2", this, QDBusConnection::SubPath))
        return false;
    moveToThread(&m_thread);
    m_thread.start();
    return true;
}

UdisksStandIn::~UdisksStandIn() {
    QDBusConnection::disconnectFromBus(kConnection);
    m_thread.quit();
    m_thread.wait();
    m_bus.terminate();
    m_bus.waitForFinished();
}

void UdisksStandIn::Offer(bool offered) {
    QDBusConnection bus(kConnection);
    offered ? bus.registerService(kName) : bus.unregisterService(kName);
}

void UdisksStandIn::Refuse(const QString& call, const QString& errorName) {
    const QMutexLocker lock(&m_mutex);
    m_refusals[call] = errorName;
}

QStringList UdisksStandIn::Calls() {
    const QMutexLocker lock(&m_mutex);
    return std::exchange(m_calls, {});
}

bool UdisksStandIn::handleMessage(const QDBusMessage& message, const QDBusConnection& connection) {
    QString call = message.interface().section('.', -1) + '.' + message.member() + ' ' +
                   message.path().section('/', -1);
    const QMutexLocker lock(&m_mutex);
    const QString refusal = m_refusals.value(call);
    const QVariantMap options = qdbus_cast<QVariantMap>(message.arguments().value(0));
    for (auto option = options.begin(); option != options.end(); ++option)
        call += ' ' + option.key() + '=' + option->toString();
    m_calls << call;
    if (!refusal.isEmpty())
        return connection.send(message.createErrorReply(refusal, "refused by the stand-in"));
    if (message.member() == QLatin1String("GetManagedObjects"))
        return connection.send(message.createReply(m_objects));
    return connection.send(message.createReply());
}

} // namespace kestrel::test
