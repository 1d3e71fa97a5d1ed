#include "stick_eject.h"

#include "staging_texts.h"
#include "stick_ejector.h"

namespace kestrel {

StickEject::StickEject(QObject* parent) : QObject(parent), m_ejector(new StickEjector(this)) {
    connect(m_ejector, &StickEjector::removableChecked, this, &StickEject::offerChecked);
    connect(m_ejector, &StickEjector::ejected, this, [this](const EjectOutcome& outcome) {
        StickEjectResult result{outcome, texts::EjectingLine()};
        for (const QString& step : outcome.done)
            result.reportLines += texts::EjectStepLine(step);
        emit ended(result);
    });
}

StickEject::~StickEject() = default;

void StickEject::CheckOffer(const StickCopyResult& copy) {
    if (copy.succeeded) {
        m_ejector->CheckRemovable(copy.folder);
        return;
    }
    QMetaObject::invokeMethod(
        this, [this] { emit offerChecked(false); }, Qt::QueuedConnection);
}

bool StickEject::Eject(const StickCopyResult& copy) {
    if (!copy.succeeded)
        return false;
    m_ejector->Eject(copy.folder);
    return true;
}

} // namespace kestrel
