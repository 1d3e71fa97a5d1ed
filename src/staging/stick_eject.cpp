#include "stick_eject.h"

#include "staging_texts.h"
#include "stick_ejector.h"

namespace kestrel {

bool StickEjectable(const StickCopyResult& copy) {
    return copy.succeeded && StickEjector().OnRemovableDrive(copy.folder);
}

std::optional<StickEjectResult> EjectStickAfterCopy(const StickCopyResult& copy) {
    if (!copy.succeeded)
        return std::nullopt;
    StickEjectResult result{StickEjector().Eject(copy.folder), staging_texts::EjectingLine()};
    for (const QString& step : result.outcome.done)
        result.reportLines += staging_texts::EjectStepLine(step);
    return result;
}

} // namespace kestrel
