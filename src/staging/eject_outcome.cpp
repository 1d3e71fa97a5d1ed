#include "eject_outcome.h"

namespace kestrel {

QString EjectResultName(EjectOutcome::Result result) {
    using Result = EjectOutcome::Result;
    switch (result) {
    case Result::Ejected:
        return QStringLiteral("ejected");
    case Result::Unmounted:
        return QStringLiteral("unmounted");
    case Result::NotOnDrive:
        return QStringLiteral("not-on-a-drive");
    case Result::NotRemovable:
        return QStringLiteral("not-removable");
    case Result::Busy:
        return QStringLiteral("busy");
    case Result::NotAuthorized:
        return QStringLiteral("not-authorized");
    case Result::NoService:
        return QStringLiteral("no-udisks");
    case Result::Failed:
        break;
    case Result::Unsupported:
        return QStringLiteral("unsupported");
    }
    return QStringLiteral("failed");
}

} // namespace kestrel
