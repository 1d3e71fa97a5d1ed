#include "staging_handlers.h"

#include "log_book.h"
#include "session_events.h"
#include "staging_texts.h"
#include "stick_ejector.h"

#include <QScopeGuard>

namespace kestrel {

namespace t = staging_texts;

void StagingHandlers::EjectStick(const QString& folder) {
    if (m_copyRunning) {
        emit m_events.message(t::CopyAlreadyRunning());
        return;
    }
    m_copyRunning = true;
    auto running = qScopeGuard([this] { m_copyRunning = false; });
    const EjectOutcome outcome = StickEjector().Eject(folder);
    QString report = t::EjectingLine();
    for (const QString& step : outcome.done)
        report += t::EjectStepLine(step);
    report += QStringLiteral("\r\n") + outcome.message + QStringLiteral("\r\n");
    running.dismiss();
    m_copyRunning = false;
    // While a programming run writes the log, the outcome comes in the
    // message alone.
    if (!RunActive()) {
        m_log.Write(report);
        emit m_events.logShown();
        emit m_events.message(outcome.message);
    } else {
        emit m_events.message(
            report.replace(QStringLiteral("\r\n"), QStringLiteral("\n")).trimmed());
    }
}

} // namespace kestrel
