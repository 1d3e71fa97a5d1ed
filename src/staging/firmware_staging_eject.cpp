#include "firmware_staging.h"

#include "log_book.h"
#include "session_events.h"
#include "staging_texts.h"
#include "stick_eject.h"

#include <QScopeGuard>

namespace kestrel {

namespace t = staging_texts;

void FirmwareStaging::OfferEject(const StickCopyResult& copy) {
    if (!m_ask || !StickEjectable(copy) ||
        !m_ask(t::EjectOffer(), t::EjectButton(), t::KeepButton()))
        return;
    if (m_copyRunning) {
        emit m_events.message(t::CopyAlreadyRunning());
        return;
    }
    // Part of the copy's work: other copies and choices wait.
    m_copyRunning = true;
    auto running = qScopeGuard([this] { m_copyRunning = false; });
    const std::optional<StickEjectResult> eject = EjectStickAfterCopy(copy);
    running.dismiss();
    m_copyRunning = false;
    if (!eject)
        return;
    QString report =
        eject->reportLines + QStringLiteral("\r\n") + eject->outcome.message + QStringLiteral("\r\n");
    // While a programming run writes the log, the outcome comes in the
    // message alone.
    if (!RunActive()) {
        m_log.Write(report);
        emit m_events.logShown();
        emit m_events.message(eject->outcome.message);
    } else {
        emit m_events.message(
            report.replace(QStringLiteral("\r\n"), QStringLiteral("\n")).trimmed());
    }
}

} // namespace kestrel
