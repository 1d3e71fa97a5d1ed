#pragma once

#include "eject_outcome.h"

#include <QString>

namespace kestrel {

// Ejects the USB stick that holds a folder, the way the system's own "safely
// remove" does: every file system of that drive is unmounted, then the drive
// is powered off (or its medium ejected). A folder on a fixed disk is never
// ejected. On Linux through UDisks2 on the system bus (DBUS_SYSTEM_BUS_ADDRESS
// names another bus), on Windows through the volume's lock, dismount and the
// device's eject request. The calls are waited for in a nested event loop:
// the window stays alive, and the system may ask the operator for a password
// meanwhile.
class StickEjector {
public:
    // Whether the folder is on a removable drive, one that Eject would eject.
    bool OnRemovableDrive(const QString& folder);

    // Ejects the drive that holds the folder.
    EjectOutcome Eject(const QString& folder);
};

} // namespace kestrel
