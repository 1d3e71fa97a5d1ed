#include "stick_ejector.h"

#include "eject_texts.h"

namespace kestrel {

// Systems other than Linux and Windows: the operator ejects the stick from
// the desktop.
bool StickEjector::OnRemovableDrive(const QString&) {
    return false;
}

EjectOutcome StickEjector::Eject(const QString&) {
    return {EjectOutcome::Result::Unsupported, {}, eject_texts::Unsupported()};
}

} // namespace kestrel
