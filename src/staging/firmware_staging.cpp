#include "firmware_staging.h"

#include "file_chooser_port.h"
#include "log_book.h"
#include "session_events.h"
#include "staging_texts.h"
#include "stick_copy.h"

#include <QFileInfo>
#include <QScopeGuard>

#include <optional>

namespace kestrel {

namespace {

namespace t = staging_texts;

const QString& AllFilesDescription() {
    static const QString text = QStringLiteral("All Files (*.*)");
    return text;
}

QList<FileFilter> HwFilters() {
    return {{QStringLiteral("Raw Binary File (*.rbf)"), {QStringLiteral("*.rbf")}},
            {AllFilesDescription(), {QStringLiteral("*")}}};
}

QList<FileFilter> SwFilters() {
    return {{QStringLiteral("VX Server File (vx_server*)"), {QStringLiteral("vx_server*")}},
            {AllFilesDescription(), {QStringLiteral("*")}}};
}

// A chooser's answer as a path; empty when the operator cancelled.
QString AnswerPath(const std::optional<QString>& answer) {
    return answer.value_or(QString());
}

} // namespace

FirmwareStaging::FirmwareStaging(LogBook& log, SessionEvents& events, FileChooserPort& choosers)
    : m_log(log), m_events(events), m_choosers(choosers) {}

bool FirmwareStaging::RefuseDuringCopy() {
    if (!m_copyRunning)
        return false;
    emit m_events.message(t::SelectDuringCopy());
    return true;
}

void FirmwareStaging::ChooseHwFile() {
    if (RefuseDuringCopy())
        return;
    m_choices.m_bHwSelected = false;
    m_choices.m_strHwPath.clear();
    m_choices.m_strHwName.clear();
    const QString path =
        AnswerPath(m_choosers.ChooseExistingFile(QStringLiteral("*.rbf"), HwFilters()));
    if (path.isEmpty()) {
        // The field keeps the old name until the operator has read the message.
        emit m_events.message(t::NoValidFile());
        emit m_events.choiceShown(Choice::HwFile, m_choices.m_strHwName);
        return;
    }
    m_choices.m_strHwPath = path;
    m_choices.m_strHwName = QFileInfo(path).fileName();
    emit m_events.choiceShown(Choice::HwFile, m_choices.m_strHwName);
    m_choices.m_bHwSelected = true;
}

void FirmwareStaging::ChooseSwFile() {
    if (RefuseDuringCopy())
        return;
    m_choices.m_bSwSelected = false;
    m_choices.m_strSwPath.clear();
    m_choices.m_strSwName.clear();
    const QString path =
        AnswerPath(m_choosers.ChooseExistingFile(QStringLiteral("vx_server*"), SwFilters()));
    if (path.isEmpty()) {
        // Unlike the hardware row, the field is blank before the message shows.
        emit m_events.choiceShown(Choice::SwFile, m_choices.m_strSwName);
        emit m_events.message(t::NoValidFile());
        return;
    }
    m_choices.m_strSwPath = path;
    m_choices.m_strSwName = QFileInfo(path).fileName();
    emit m_events.choiceShown(Choice::SwFile, m_choices.m_strSwName);
    m_choices.m_bSwSelected = true;
}

void FirmwareStaging::ChooseStickFolder() {
    if (RefuseDuringCopy())
        return;
    m_choices.m_bUsbSelected = false;
    m_choices.m_strUsbPath.clear();
    m_choices.m_strUsbPath = AnswerPath(m_choosers.ChooseFolder());
    emit m_events.choiceShown(Choice::UsbFolder, m_choices.m_strUsbPath);
    if (m_choices.m_strUsbPath.isEmpty()) {
        emit m_events.message(t::NoValidFolder());
        return;
    }
    m_choices.m_bUsbSelected = true;
}

bool FirmwareStaging::CopyToStick() {
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
    const StickCopyRequest request{m_choices.m_strUsbPath,
                                   {m_choices.m_strHwPath, m_choices.m_strHwName},
                                   {m_choices.m_strSwPath, m_choices.m_strSwName},
                                   // The pane shows the report from its top: its own lines first.
                                   ReportLayout::DetailsAfterReport};

    m_copyRunning = true;
    auto running = qScopeGuard([this] { m_copyRunning = false; });

    const QString heading = t::CopyingLine(request.folder);
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
    const StickCopyResult copy =
        CopyFirmwareToStick(request, [&](const StickCopyProgress& progress) {
            if (!logIsOurs())
                return;
            if (progress.percentRose)
                emit m_events.progress(progress.percent);
            emit m_events.statusLine(progress.statusLine);
        });

    const QString report = heading + copy.reportLines;
    const bool inLog = logIsOurs();
    if (inLog) {
        m_log.Restart(report);
        emit m_events.logRefreshed();
        emit m_events.progress(copy.succeeded ? 100 : 0);
    }
    running.dismiss();
    m_copyRunning = false;
    if (!inLog) {
        QString message = report;
        message.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
        if (!copy.succeeded)
            message += QLatin1Char('\n') + copy.failure;
        emit m_events.message(message.trimmed());
    } else if (!copy.succeeded) {
        emit m_events.message(copy.failure);
    }
    if (copy.succeeded)
        OfferEject(copy); // nothing is offered after a failed copy
    return copy.succeeded;
}

} // namespace kestrel
