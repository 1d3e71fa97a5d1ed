#include "stick_ejector.h"

#include "eject_rule.h"
#include "eject_texts.h"

#include <QDBusArgument>
#include <QDBusConnection>
#include <QDBusMessage>
#include <QDBusObjectPath>
#include <QDBusPendingCallWatcher>
#include <QDir>
#include <QFileInfo>
#include <QStorageInfo>

#include <optional>

namespace kestrel {

namespace {
using Result = EjectOutcome::Result;

const QString kService = QStringLiteral("org.freedesktop.UDisks2");
const QString kErrorPrefix = QStringLiteral("org.freedesktop.UDisks2.Error.");
// Unmounting and powering off may wait for the operator's password.
constexpr int kActionTimeoutMs = 300000;
constexpr int kListTimeoutMs = 20000;

QDBusMessage ActionCall(const std::string& object, const QString& interface,
                        const QString& method) {
    QDBusMessage call = QDBusMessage::createMethodCall(
        kService, QString::fromStdString(object), kService + QLatin1Char('.') + interface, method);
    // The system may ask the operator (polkit) for a password.
    call << QVariantMap{{QStringLiteral("auth.no_user_interaction"), false}};
    return call;
}

QDBusMessage ListCall() {
    return QDBusMessage::createMethodCall(kService, QStringLiteral("/org/freedesktop/UDisks2"),
                                          QStringLiteral("org.freedesktop.DBus.ObjectManager"),
                                          QStringLiteral("GetManagedObjects"));
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

// The drives and block devices in UDisks2's answer to GetManagedObjects;
// nothing when the answer is an error.
std::optional<DriveSnapshot> ReadSnapshot(const QDBusMessage& reply) {
    if (reply.type() != QDBusMessage::ReplyMessage || reply.arguments().size() != 1)
        return std::nullopt;
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
        outcome.message = texts::Busy(device, mountPoint);
    } else if (name.startsWith(kErrorPrefix + QStringLiteral("NotAuthorized"))) {
        outcome.result = Result::NotAuthorized;
        outcome.message = texts::NotAuthorized(device);
    } else if (!name.startsWith(kErrorPrefix)) { // the bus, not UDisks2, answered
        outcome.result = Result::NoService;
        // The system's own root is never the stick's mount point.
        const QString root = QStorageInfo(folder).rootPath();
        outcome.message = texts::NoService(root == QStringLiteral("/") ? QString() : root);
    } else {
        outcome.result = Result::Failed;
        outcome.message = texts::Failed(device, error.errorMessage());
    }
    return outcome;
}

} // namespace

// One call's conversation with UDisks2: the listing of the drives, then for
// an eject the unmounts one by one and the power-off or eject, each sent
// when the answer before it has come. The watchers are children of the
// work: when it goes, answers still to come are not heard.
class StickEjector::Work : public QObject {
public:
    Work(StickEjector& owner, quint64 call, QString folder)
        : m_owner(owner), m_call(call), m_folder(std::move(folder)) {}

    void Check() {
        Send(ListCall(), kListTimeoutMs, [this](const QDBusMessage& reply) {
            const std::optional<DriveSnapshot> snapshot = ReadSnapshot(reply);
            const bool removable =
                snapshot &&
                PlanEject(*snapshot, MountedPath(m_folder)).verdict == EjectPlan::Verdict::Eject;
            StickEjector* owner = &m_owner;
            m_owner.Tell(m_call, [owner, removable] { emit owner->removableChecked(removable); });
        });
    }

    void Eject() {
        Send(ListCall(), kListTimeoutMs, [this](const QDBusMessage& reply) { Listed(reply); });
    }

private:
    // Sends the call; then takes its answer in this thread.
    void Send(const QDBusMessage& call, int timeoutMs,
              const std::function<void(const QDBusMessage&)>& then) {
        QDBusConnection bus = QDBusConnection::systemBus();
        const QDBusPendingCall pending =
            bus.isConnected() ? bus.asyncCall(call, timeoutMs)
                              : QDBusPendingCall::fromError(QDBusError(QDBusError::Disconnected,
                                                                       bus.lastError().message()));
        auto* watcher = new QDBusPendingCallWatcher(pending, this);
        connect(watcher, &QDBusPendingCallWatcher::finished, this, [watcher, then] {
            watcher->deleteLater();
            then(watcher->reply());
        });
    }

    void Listed(const QDBusMessage& reply) {
        const std::optional<DriveSnapshot> snapshot = ReadSnapshot(reply);
        if (!snapshot)
            return End(Refused(m_outcome, reply, m_folder, m_folder, m_folder));
        m_plan = PlanEject(*snapshot, MountedPath(m_folder));
        const QString device = Q(m_plan.device);
        switch (m_plan.verdict) {
        case EjectPlan::Verdict::NotOnDrive:
            m_outcome.result = Result::NotOnDrive;
            m_outcome.message = texts::NotOnDrive(m_folder);
            return End(m_outcome);
        case EjectPlan::Verdict::NotRemovable:
            m_outcome.result = Result::NotRemovable;
            m_outcome.message = texts::NotRemovable(m_folder, device);
            return End(m_outcome);
        case EjectPlan::Verdict::Eject:
            break;
        }
        Unmount(0);
    }

    void Unmount(std::size_t index) {
        if (index == m_plan.unmounts.size())
            return Finish();
        const UnmountStep& step = m_plan.unmounts[index];
        Send(ActionCall(step.object, QStringLiteral("Filesystem"), QStringLiteral("Unmount")),
             kActionTimeoutMs, [this, index, step](const QDBusMessage& reply) {
                 const QString device = Q(step.device);
                 const QString mountPoint = Q(step.mountPoint);
                 if (reply.type() != QDBusMessage::ReplyMessage)
                     return End(Refused(m_outcome, reply, device, mountPoint, m_folder));
                 m_outcome.done << (step.holdsFolder ? texts::Unmounted(device, mountPoint)
                                                     : texts::AlsoUnmounted(device, mountPoint));
                 Unmount(index + 1);
             });
    }

    void Finish() {
        const QString device = Q(m_plan.device);
        // A drive that can neither leave nor let its medium go (a card slot
        // inside the machine) stays: only its file systems are off.
        if (m_plan.finish == EjectPlan::Finish::None) {
            m_outcome.result = Result::Unmounted;
            m_outcome.message = texts::UnmountedOnly(device);
            return End(m_outcome);
        }
        const bool powerOff = m_plan.finish == EjectPlan::Finish::PowerOff;
        Send(ActionCall(m_plan.driveObject, QStringLiteral("Drive"),
                        powerOff ? QStringLiteral("PowerOff") : QStringLiteral("Eject")),
             kActionTimeoutMs, [this, device, powerOff](const QDBusMessage& reply) {
                 if (reply.type() != QDBusMessage::ReplyMessage)
                     return End(Refused(m_outcome, reply, device, Q(m_plan.mountPoint), m_folder));
                 m_outcome.done << (powerOff ? texts::PoweredOff(device)
                                             : texts::MediumEjected(device));
                 m_outcome.result = Result::Ejected;
                 m_outcome.message = texts::CanBeRemoved(device);
                 End(m_outcome);
             });
    }

    void End(const EjectOutcome& outcome) {
        StickEjector* owner = &m_owner;
        m_owner.Tell(m_call, [owner, outcome] { emit owner->ejected(outcome); });
    }

    StickEjector& m_owner;
    const quint64 m_call;
    const QString m_folder;
    EjectPlan m_plan;
    EjectOutcome m_outcome;
};

StickEjector::StickEjector(QObject* parent) : QObject(parent) {}

StickEjector::~StickEjector() = default;

void StickEjector::CheckRemovable(const QString& folder) {
    m_work = std::make_unique<Work>(*this, ++m_calls, folder);
    m_work->Check();
}

void StickEjector::Eject(const QString& folder) {
    m_work = std::make_unique<Work>(*this, ++m_calls, folder);
    m_work->Eject();
}

} // namespace kestrel
