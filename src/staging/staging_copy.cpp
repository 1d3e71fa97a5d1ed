#include "staging_handlers.h"

#include "copy_report.h"
#include "dialog_state.h"
#include "log_book.h"
#include "staging_task.h"
#include "staging_texts.h"
#include "window_surface.h"

#include <QScopeGuard>

namespace kestrel {

namespace t = staging_texts;

bool StagingHandlers::OnBnClickedCopyToUsb() {
    if (m_copyRunning) {
        m_surface.ShowMessageBox(t::CopyAlreadyRunning());
        return false;
    }
    if (!m_state.m_bUsbSelected) {
        m_surface.ShowMessageBox(t::NoFolderToCopyTo());
        return false;
    }
    if (!m_state.m_bHwSelected || !m_state.m_bSwSelected) {
        m_surface.ShowMessageBox(t::SelectBothFiles());
        return false;
    }
    // The choices are read once: handlers running during the copy cannot
    // change what it copies.
    const StagingPlan plan{m_state.m_strUsbPath,
                           {{m_state.m_strHwPath, m_state.m_strHwName, t::HwDestinationName()},
                            {m_state.m_strSwPath, m_state.m_strSwName, t::SwDestinationName()}}};

    m_copyRunning = true;
    auto running = qScopeGuard([this] { m_copyRunning = false; });

    const QString heading = t::CopyingLine(plan.folder);
    // The log is the copy's unless a programming run writes it: the run's
    // warning and lines stay in view, and the copy's report goes in a message.
    const bool ownLog = !RunActive();
    const auto logIsOurs = [&] { return ownLog && !RunActive() && m_log.Text() == heading; };
    if (ownLog) {
        m_log.Restart(heading);
        m_surface.SetProgress(0);
    }
    int shownPercent = 0;
    StagingTask task(plan);
    const StagingOutcome outcome = task.Run([&](const StagingProgress& progress) {
        if (!logIsOurs())
            return;
        const int percent = CopyPercent(progress);
        if (percent > shownPercent) {
            shownPercent = percent;
            m_surface.SetProgress(percent);
        }
        m_surface.ShowTextWithCaret(Pane::Log, m_log.Text() + CopyStatusLine(plan, progress),
                                    m_log.Text().size());
    });

    const QString report = heading + CopyReportLines(plan, outcome);
    const bool inLog = logIsOurs();
    if (inLog) {
        m_log.Restart(report);
        m_surface.SetPaneText(Pane::Log, m_log.Text());
        m_surface.SetProgress(outcome.succeeded ? 100 : 0);
    }
    running.dismiss();
    m_copyRunning = false;
    if (!inLog) {
        QString message = report;
        message.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
        if (!outcome.succeeded)
            message += QLatin1Char('\n') + CopyFailureMessage(plan, outcome);
        m_surface.ShowMessageBox(message.trimmed());
    } else if (!outcome.succeeded) {
        m_surface.ShowMessageBox(CopyFailureMessage(plan, outcome));
    }
    return outcome.succeeded;
}

} // namespace kestrel
