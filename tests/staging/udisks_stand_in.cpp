#include "udisks_stand_in.h"

#include <QDBusConnection>
#include <QDBusMessage>
#include <QDBusMetaType>
#include <QDBusObjectPath>
#include <QTest>

using Interfaces = QMap<QString, QVariantMap>;
using Objects = QMap<QDBusObjectPath, Interfaces>;
Q_DECLARE_METATYPE(Interfaces)
Q_DECLARE_METATYPE(Objects)

namespace kestrel::test {

namespace {

const QString kRoot = QStringLiteral("/org/freedesktop/UDisks2");
const QString kName = QStringLiteral("org.freedesktop.UDisks2");
const QString kConnection = QStringLiteral("udisks-stand-in");

QDBusObjectPath Drive(const QString& name) {
    return QDBusObjectPath(kRoot + QStringLiteral("/drives/") + name);
}

QDBusObjectPath Block(const QString& name) {
    return QDBusObjectPath(kRoot + QStringLiteral("/block_devices/") + name);
}

void AddDrive(Objects& objects, const QString& name, bool removable, bool mediaRemovable,
              bool canPowerOff, const QString& media) {
    objects[Drive(name)][kName + QStringLiteral(".Drive")] = {
        {QStringLiteral("Removable"), removable},
        {QStringLiteral("MediaRemovable"), mediaRemovable},
        {QStringLiteral("Ejectable"), removable},
        {QStringLiteral("CanPowerOff"), canPowerOff},
        {QStringLiteral("Media"), media}};
}

// A block device; with mount points it carries a file system.
void AddBlock(Objects& objects, const QString& name, const QString& drive,
              const QStringList& mountPoints, bool filesystem = true) {
    Interfaces& block = objects[Block(name)];
    block[kName + QStringLiteral(".Block")] = {
        {QStringLiteral("Device"), QByteArray("/dev/" + name.toUtf8() + '\0')},
        {QStringLiteral("PreferredDevice"), QByteArray("/dev/" + name.toUtf8() + '\0')},
        {QStringLiteral("Drive"), QVariant::fromValue(Drive(drive))}};
    if (!filesystem)
        return;
    QByteArrayList points;
    for (const QString& point : mountPoints)
        points << point.toUtf8() + '\0';
    block[kName + QStringLiteral(".Filesystem")] = {
        {QStringLiteral("MountPoints"), QVariant::fromValue(points)}};
}

} // namespace

bool UdisksStandIn::Start(const MountPoints& mounts) {
    qDBusRegisterMetaType<QByteArrayList>();
    qDBusRegisterMetaType<Interfaces>();
    qDBusRegisterMetaType<Objects>();
    Objects objects;
    AddDrive(objects, QStringLiteral("ssd"), false, false, false, QString());
    AddDrive(objects, QStringLiteral("stick1"), true, false, true, QStringLiteral("thumb"));
    AddDrive(objects, QStringLiteral("stick2"), true, false, true, QStringLiteral("thumb"));
    AddDrive(objects, QStringLiteral("reader"), true, true, true, QStringLiteral("flash_sd"));
    AddBlock(objects, QStringLiteral("nvme0n1p2"), QStringLiteral("ssd"), {QStringLiteral("/")});
    AddBlock(objects, QStringLiteral("sdb"), QStringLiteral("stick1"), {}, false);
    AddBlock(objects, QStringLiteral("sdb1"), QStringLiteral("stick1"), {mounts.sdb1});
    AddBlock(objects, QStringLiteral("sdc1"), QStringLiteral("stick2"), {mounts.sdc1});
    AddBlock(objects, QStringLiteral("sdc2"), QStringLiteral("stick2"), {mounts.sdc2});
    AddBlock(objects, QStringLiteral("sdd1"), QStringLiteral("reader"), {mounts.sdd1});
    m_objects = QVariant::fromValue(objects);

    m_bus.start(QStringLiteral("dbus-daemon"), {"--session", "--print-address", "--nofork"});
    if (!m_bus.waitForReadyRead(10000))
        return false;
    m_address = QString::fromUtf8(m_bus.readLine().trimmed());
    qputenv("DBUS_SYSTEM_BUS_ADDRESS", m_address.toUtf8());
    QDBusConnection bus = QDBusConnection::connectToBus(m_address, kConnection);
    if (!bus.registerVirtualObject(kRoot, this, QDBusConnection::SubPath))
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

void UdisksStandIn::Offer() {
    QVERIFY(QDBusConnection(kConnection).registerService(kName));
}

void UdisksStandIn::Withdraw() {
    QVERIFY(QDBusConnection(kConnection).unregisterService(kName));
}

void UdisksStandIn::Refuse(const QString& call, const QString& errorName, const QString& text) {
    const QMutexLocker lock(&m_mutex);
    if (errorName.isEmpty())
        m_refusals.remove(call);
    else
        m_refusals[call] = {errorName, text};
}

QStringList UdisksStandIn::Calls() {
    const QMutexLocker lock(&m_mutex);
    return std::exchange(m_calls, {});
}

QString UdisksStandIn::introspect(const QString&) const {
    return QString();
}

bool UdisksStandIn::handleMessage(const QDBusMessage& message, const QDBusConnection& connection) {
    QString call = message.interface().section(QLatin1Char('.'), -1) + QLatin1Char('.') +
                   message.member() + QLatin1Char(' ') +
                   message.path().section(QLatin1Char('/'), -1);
    const QMutexLocker lock(&m_mutex);
    const auto refusal = m_refusals.constFind(call);
    const QVariantList arguments = message.arguments();
    if (!arguments.isEmpty()) {
        const QVariantMap options = qdbus_cast<QVariantMap>(arguments.constFirst());
        for (auto option = options.begin(); option != options.end(); ++option)
            call += QLatin1Char(' ') + option.key() + QLatin1Char('=') + option->toString();
    }
    m_calls << call;
    if (refusal != m_refusals.constEnd())
        return connection.send(message.createErrorReply(refusal->first, refusal->second));
    if (message.member() == QLatin1String("GetManagedObjects"))
        return connection.send(message.createReply(m_objects));
    return connection.send(message.createReply());
}

} // namespace kestrel::test
