#include "staging_handlers.h"

#include "copy_report.h"
#include "log_book.h"
#include "staging_task.h"
#include "staging_texts.h"
#include "session_events.h"

#include <QScopeGuard>

namespace kestrel {

namespace t = staging_texts;

bool StagingHandlers::OnBnClickedCopyToUsb() {
    if (m_copyRunning) {
        emit m_events.message(t::CopyAlreadyRunning());
        return false;
    }
    if (!m_choices.m_bUsbSelected) {
        emit m_events.message(t::NoFolderToCopyTo());
        return false;
    }
    if (!m_choices.m_bHwSelected || !m_choices.m_bSwSelected) {
        emit m_events.message(t::SelectBothFiles());
        return false;
    }
    // The choices are read once: handlers running during the copy cannot
    // change what it copies.
    const StagingPlan plan{m_choices.m_strUsbPath,
                           {{m_choices.m_strHwPath, m_choices.m_strHwName, t::HwDestinationName()},
                            {m_choices.m_strSwPath, m_choices.m_strSwName, t::SwDestinationName()}}};

    m_copyRunning = true;
    auto running = qScopeGuard([this] { m_copyRunning = false; });

    const QString heading = t::CopyingLine(plan.folder);
    // The log is the copy's unless a programming run writes it: the run's
    // warning and lines stay in view, and the copy's report goes in a message.
    const bool ownLog = !RunActive();
    if (ownLog)
        m_log.Restart(heading);
    const quint64 headingWrite = m_log.Writes();
    const auto logIsOurs = [&] { return ownLog && !RunActive() && m_log.Writes() == headingWrite; };
    if (ownLog) {
        emit m_events.progress(0);
    }
    int shownPercent = 0;
    StagingTask task(plan);
    const StagingOutcome outcome = task.Run([&](const StagingProgress& progress) {
        if (!logIsOurs())
            return;
        const int percent = CopyPercent(progress);
        if (percent > shownPercent) {
            shownPercent = percent;
            emit m_events.progress(percent);
        }
        emit m_events.statusLine(CopyStatusLine(plan, progress));
    });

    // The pane shows the report from its top: its own lines come first.
    const QString report =
        heading + CopyReportLines(plan, outcome, ReportLayout::DetailsAfterReport);
    const bool inLog = logIsOurs();
    if (inLog) {
        m_log.Restart(report);
        emit m_events.logRefreshed();
        emit m_events.progress(outcome.succeeded ? 100 : 0);
    }
    running.dismiss();
    m_copyRunning = false;
    if (!inLog) {
        QString message = report;
        message.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
        if (!outcome.succeeded)
            message += QLatin1Char('\n') + CopyFailureMessage(plan, outcome);
        emit m_events.message(message.trimmed());
    } else if (!outcome.succeeded) {
        emit m_events.message(CopyFailureMessage(plan, outcome));
    }
    return outcome.succeeded;
}

} // namespace kestrel
