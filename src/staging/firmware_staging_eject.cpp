#include "firmware_staging.h"

#include "log_book.h"
#include "session_events.h"
#include "staging_texts.h"
#include "stick_eject.h"

namespace kestrel {

void FirmwareStaging::OfferEject(bool offered) {
    // Copy and the choosers still wait: the eject is part of the copy's work.
    if (!offered || !m_ask(texts::EjectOffer(), texts::EjectButton(), texts::KeepButton()) ||
        !m_eject->Eject(m_copied))
        return EndWork();
    emit ejectStarted();
}

void FirmwareStaging::ShowEject(const StickEjectResult& eject) {
    QString report =
        eject.reportLines + QStringLiteral("\r\n") + eject.outcome.message + QStringLiteral("\r\n");
    // While a programming run writes the log, the outcome comes in the
    // message alone.
    if (!RunActive()) {
        m_log.Write(report);
        emit m_events.logShown();
        emit m_events.message(eject.outcome.message);
    } else {
        emit m_events.message(
            report.replace(QStringLiteral("\r\n"), QStringLiteral("\n")).trimmed());
    }
    emit ejectEnded(eject);
    EndWork();
}

} // namespace kestrel
