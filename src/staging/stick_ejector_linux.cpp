#include "stick_ejector.h"

#include "eject_rule.h"
#include "eject_texts.h"

#include <QDBusArgument>
#include <QDBusConnection>
#include <QDBusMessage>
#include <QDBusObjectPath>
#include <QDBusPendingCallWatcher>
#include <QDir>
#include <QEventLoop>
#include <QFileInfo>
#include <QStorageInfo>

#include <optional>

namespace kestrel {

namespace {

namespace t = eject_texts;
using Result = EjectOutcome::Result;

const QString kService = QStringLiteral("org.freedesktop.UDisks2");
const QString kErrorPrefix = QStringLiteral("org.freedesktop.UDisks2.Error.");
// Unmounting and powering off may wait for the operator's password.
constexpr int kActionTimeoutMs = 300000;
constexpr int kListTimeoutMs = 20000;

// Waits for the answer in a nested event loop, the window served meanwhile.
QDBusMessage CallServingEvents(const QDBusMessage& call, int timeoutMs) {
    QDBusConnection bus = QDBusConnection::systemBus();
    if (!bus.isConnected())
        return QDBusMessage::createError(QDBusError::Disconnected, bus.lastError().message());
    QDBusPendingCallWatcher watcher(bus.asyncCall(call, timeoutMs));
    QEventLoop loop;
    QObject::connect(&watcher, &QDBusPendingCallWatcher::finished, &loop, &QEventLoop::quit);
    if (!watcher.isFinished())
        loop.exec();
    // The loop also ends when the application quits: the answer is still
    // waited for, no longer than the call's own timeout.
    watcher.waitForFinished();
    return watcher.reply();
}

QDBusMessage Action(const QString& object, const QString& interface, const QString& method) {
    QDBusMessage call = QDBusMessage::createMethodCall(
        kService, object, kService + QLatin1Char('.') + interface, method);
    // The system may ask the operator (polkit) for a password.
    call << QVariantMap{{QStringLiteral("auth.no_user_interaction"), false}};
    return CallServingEvents(call, kActionTimeoutMs);
}

std::string Bytes(const QVariant& value) {
    QByteArray bytes = value.toByteArray();
    while (bytes.endsWith('\0'))
        bytes.chop(1);
    return bytes.toStdString();
}

void ReadBlock(BlockInfo& block, const QString& interface, const QVariantMap& properties) {
    if (interface == kService + QStringLiteral(".Block")) {
        const QByteArray preferred =
            properties.value(QStringLiteral("PreferredDevice")).toByteArray();
        block.device = Bytes(properties.value(
            preferred.isEmpty() ? QStringLiteral("Device") : QStringLiteral("PreferredDevice")));
        block.drive = qvariant_cast<QDBusObjectPath>(properties.value(QStringLiteral("Drive")))
                          .path()
                          .toStdString();
    } else if (interface == kService + QStringLiteral(".Filesystem")) {
        block.hasFilesystem = true;
        QByteArrayList mountPoints;
        qvariant_cast<QDBusArgument>(properties.value(QStringLiteral("MountPoints"))) >>
            mountPoints;
        for (const QByteArray& mountPoint : mountPoints)
            block.mountPoints.push_back(Bytes(mountPoint));
    }
}

DriveInfo ReadDrive(const std::string& object, const QVariantMap& p) {
    DriveInfo drive;
    drive.object = object;
    drive.removable = p.value(QStringLiteral("Removable")).toBool();
    drive.mediaRemovable = p.value(QStringLiteral("MediaRemovable")).toBool();
    drive.ejectable = p.value(QStringLiteral("Ejectable")).toBool();
    drive.canPowerOff = p.value(QStringLiteral("CanPowerOff")).toBool();
    drive.media = p.value(QStringLiteral("Media")).toString().toStdString();
    return drive;
}

// The drives and block devices UDisks2 knows; the error answer when it
// cannot tell.
std::optional<DriveSnapshot> ReadSnapshot(QDBusMessage& error) {
    const QDBusMessage reply = CallServingEvents(
        QDBusMessage::createMethodCall(kService, QStringLiteral("/org/freedesktop/UDisks2"),
                                       QStringLiteral("org.freedesktop.DBus.ObjectManager"),
                                       QStringLiteral("GetManagedObjects")),
        kListTimeoutMs);
    if (reply.type() != QDBusMessage::ReplyMessage || reply.arguments().size() != 1) {
        error = reply;
        return std::nullopt;
    }
    DriveSnapshot snapshot;
    const auto objects = qvariant_cast<QDBusArgument>(reply.arguments().constFirst());
    objects.beginMap();
    while (!objects.atEnd()) {
        QDBusObjectPath path;
        objects.beginMapEntry();
        objects >> path;
        BlockInfo block;
        block.object = path.path().toStdString();
        objects.beginMap();
        while (!objects.atEnd()) {
            QString interface;
            QVariantMap properties;
            objects.beginMapEntry();
            objects >> interface >> properties;
            objects.endMapEntry();
            if (interface == kService + QStringLiteral(".Drive"))
                snapshot.drives.push_back(ReadDrive(block.object, properties));
            else
                ReadBlock(block, interface, properties);
        }
        objects.endMap();
        objects.endMapEntry();
        if (!block.device.empty())
            snapshot.blocks.push_back(std::move(block));
    }
    objects.endMap();
    return snapshot;
}

// The folder as mount points name it: absolute, links resolved.
std::string MountedPath(const QString& folder) {
    const QFileInfo info(folder);
    const QString canonical = info.canonicalFilePath();
    return QDir::cleanPath(canonical.isEmpty() ? info.absoluteFilePath() : canonical).toStdString();
}

QString Q(const std::string& text) {
    return QString::fromStdString(text);
}

// An error answer of UDisks2 (or of the bus) as the operator's outcome.
EjectOutcome Refused(EjectOutcome outcome, const QDBusMessage& error, const QString& device,
                     const QString& mountPoint, const QString& folder) {
    const QString name = error.errorName();
    if (name == kErrorPrefix + QStringLiteral("DeviceBusy") ||
        error.errorMessage().contains(QStringLiteral("target is busy"))) {
        outcome.result = Result::Busy;
        outcome.message = t::Busy(device, mountPoint);
    } else if (name.startsWith(kErrorPrefix + QStringLiteral("NotAuthorized"))) {
        outcome.result = Result::NotAuthorized;
        outcome.message = t::NotAuthorized(device);
    } else if (!name.startsWith(kErrorPrefix)) { // the bus, not UDisks2, answered
        outcome.result = Result::NoService;
        // The system's own root is never the stick's mount point.
        const QString root = QStorageInfo(folder).rootPath();
        outcome.message = t::NoService(root == QStringLiteral("/") ? QString() : root);
    } else {
        outcome.result = Result::Failed;
        outcome.message = t::Failed(device, error.errorMessage());
    }
    return outcome;
}

} // namespace

bool StickEjector::OnRemovableDrive(const QString& folder) {
    QDBusMessage error;
    const std::optional<DriveSnapshot> snapshot = ReadSnapshot(error);
    return snapshot &&
           PlanEject(*snapshot, MountedPath(folder)).verdict == EjectPlan::Verdict::Eject;
}

EjectOutcome StickEjector::Eject(const QString& folder) {
    EjectOutcome outcome;
    QDBusMessage error;
    const std::optional<DriveSnapshot> snapshot = ReadSnapshot(error);
    if (!snapshot)
        return Refused(outcome, error, folder, folder, folder);
    const EjectPlan plan = PlanEject(*snapshot, MountedPath(folder));
    const QString device = Q(plan.device);
    switch (plan.verdict) {
    case EjectPlan::Verdict::NotOnDrive:
        outcome.result = Result::NotOnDrive;
        outcome.message = t::NotOnDrive(folder);
        return outcome;
    case EjectPlan::Verdict::NotRemovable:
        outcome.result = Result::NotRemovable;
        outcome.message = t::NotRemovable(folder, device);
        return outcome;
    case EjectPlan::Verdict::Eject:
        break;
    }
    for (const UnmountStep& step : plan.unmounts) {
        const QDBusMessage reply =
            Action(Q(step.object), QStringLiteral("Filesystem"), QStringLiteral("Unmount"));
        if (reply.type() != QDBusMessage::ReplyMessage)
            return Refused(outcome, reply, Q(step.device), Q(step.mountPoint), folder);
        outcome.done << (step.holdsFolder ? t::Unmounted(Q(step.device), Q(step.mountPoint))
                                          : t::AlsoUnmounted(Q(step.device), Q(step.mountPoint)));
    }
    if (plan.finish != EjectPlan::Finish::None) {
        const bool powerOff = plan.finish == EjectPlan::Finish::PowerOff;
        const QDBusMessage reply =
            Action(Q(plan.driveObject), QStringLiteral("Drive"),
                   powerOff ? QStringLiteral("PowerOff") : QStringLiteral("Eject"));
        if (reply.type() != QDBusMessage::ReplyMessage)
            return Refused(outcome, reply, device, Q(plan.mountPoint), folder);
        outcome.done << (powerOff ? t::PoweredOff(device) : t::MediumEjected(device));
    }
    // A drive that can neither leave nor let its medium go (a card slot
    // inside the machine) stays: only its file systems are off.
    const bool left = plan.finish != EjectPlan::Finish::None;
    outcome.result = left ? Result::Ejected : Result::Unmounted;
    outcome.message = left ? t::CanBeRemoved(device) : t::UnmountedOnly(device);
    return outcome;
}

} // namespace kestrel
