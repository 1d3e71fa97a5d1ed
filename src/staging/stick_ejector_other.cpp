#include "stick_ejector.h"

#include "eject_texts.h"

namespace kestrel {

// Systems other than Linux and Windows: the operator ejects the stick from
// the desktop.
class StickEjector::Work {};

StickEjector::StickEjector(QObject* parent) : QObject(parent) {}

StickEjector::~StickEjector() = default;

void StickEjector::CheckRemovable(const QString&) {
    Tell(++m_calls, [this] { emit removableChecked(false); });
}

void StickEjector::Eject(const QString&) {
    const EjectOutcome outcome{EjectOutcome::Result::Unsupported, {}, texts::Unsupported()};
    Tell(++m_calls, [this, outcome] { emit ejected(outcome); });
}

} // namespace kestrel
