#pragma once

#include "eject_outcome.h"

#include <QMetaObject>
#include <QObject>
#include <QString>

#include <functional>
#include <memory>

namespace kestrel {

// Ejects the USB stick that holds a folder, the way the system's own "safely
// remove" does: every file system of that drive is unmounted, then the drive
// is powered off (or its medium ejected). A folder on a fixed disk is never
// ejected. On Linux through UDisks2 on the system bus (DBUS_SYSTEM_BUS_ADDRESS
// names another bus), on Windows through the volume's lock, dismount and the
// device's eject request, on a thread of its own.
//
// Each call returns at once and its answer comes by a signal, never before
// the caller's thread serves its events again; the system may ask the
// operator for a password meanwhile. Call again once the answer has come: a
// call made before drops the earlier call, whose answer never comes (on
// Windows its system calls are let end first).
class StickEjector : public QObject {
    Q_OBJECT
public:
    explicit StickEjector(QObject* parent = nullptr);
    // A Windows eject still at work is waited for; its answer is not told.
    ~StickEjector() override;

    // Finds out whether the folder is on a removable drive, one that Eject
    // would eject: removableChecked tells.
    void CheckRemovable(const QString& folder);

    // Ejects the drive that holds the folder: ejected tells how it went.
    void Eject(const QString& folder);

signals:
    void removableChecked(bool removable);
    void ejected(const kestrel::EjectOutcome& outcome);

private:
    class Work; // the system's side of one call

    // For the work of call number call, from any thread: emitIt runs later,
    // in this object's thread, unless a newer call has begun meanwhile; never
    // inside the caller's call, nor inside the work.
    void Tell(quint64 call, std::function<void()> emitIt) {
        QMetaObject::invokeMethod(
            this,
            [this, call, emitIt = std::move(emitIt)] {
                if (call == m_calls)
                    emitIt();
            },
            Qt::QueuedConnection);
    }

    quint64 m_calls = 0;
    std::unique_ptr<Work> m_work;
};

} // namespace kestrel
