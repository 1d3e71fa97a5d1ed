#include "firmware_staging.h"

#include "file_chooser_port.h"
#include "log_book.h"
#include "session_events.h"
#include "staging_texts.h"
#include "stick_copy.h"
#include "stick_eject.h"

#include <QFileInfo>

#include <optional>

namespace kestrel {

namespace {

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
    : m_log(log), m_events(events), m_choosers(choosers), m_eject(new StickEject(this)) {
    connect(m_eject, &StickEject::offerChecked, this, &FirmwareStaging::OfferEject);
    connect(m_eject, &StickEject::ended, this, &FirmwareStaging::ShowEject);
}

FirmwareStaging::~FirmwareStaging() = default;

bool FirmwareStaging::RefuseDuringCopy() {
    if (!m_copyRunning)
        return false;
    emit m_events.message(texts::SelectDuringCopy());
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
        emit m_events.message(texts::NoValidFile());
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
        emit m_events.message(texts::NoValidFile());
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
        emit m_events.message(texts::NoValidFolder());
        return;
    }
    m_choices.m_bUsbSelected = true;
}

void FirmwareStaging::CopyToStick() {
    if (m_copyRunning) {
        emit m_events.message(texts::CopyAlreadyRunning());
        return;
    }
    if (!m_choices.m_bUsbSelected) {
        emit m_events.message(texts::NoFolderToCopyTo());
        return;
    }
    if (!m_choices.m_bHwSelected || !m_choices.m_bSwSelected) {
        emit m_events.message(texts::SelectBothFiles());
        return;
    }
    // The choices are read once: handlers running during the copy cannot
    // change what it copies.
    StickCopyRequest request{m_choices.m_strUsbPath,
                             {m_choices.m_strHwPath, m_choices.m_strHwName},
                             {m_choices.m_strSwPath, m_choices.m_strSwName},
                             // The pane shows the report from its top: its own lines first.
                             ReportLayout::DetailsAfterReport};

    m_copyRunning = true;
    m_heading = texts::CopyingLine(request.folder);
    // The log is the copy's unless a programming run writes it: the run's
    // warning and lines stay in view, and the copy's report goes in a message.
    m_ownLog = !RunActive();
    if (m_ownLog)
        m_log.Restart(m_heading);
    m_headingWrite = m_log.Writes();
    if (m_ownLog)
        emit m_events.progress(0);
    m_copy = new StickCopy(std::move(request), StickCopy::Mode::Copy, this);
    connect(m_copy, &StickCopy::progressed, this, &FirmwareStaging::ShowProgress);
    connect(m_copy, &StickCopy::finished, this, &FirmwareStaging::ShowReport);
    m_copy->Start();
    emit copyStarted();
}

bool FirmwareStaging::LogIsOurs() const {
    // Nothing else has written the log since the heading, and no run has
    // begun meanwhile.
    return m_ownLog && !RunActive() && m_log.Writes() == m_headingWrite;
}

void FirmwareStaging::ShowProgress(const StickCopyProgress& progress) {
    if (!LogIsOurs())
        return;
    if (progress.percentRose)
        emit m_events.progress(progress.percent);
    emit m_events.statusLine(progress.statusLine);
}

void FirmwareStaging::ShowReport(const StickCopyResult& copy) {
    m_copy->deleteLater();
    m_copy = nullptr;
    const QString report = m_heading + copy.reportLines;
    const bool inLog = LogIsOurs();
    if (inLog) {
        m_log.Restart(report);
        emit m_events.logRefreshed();
        emit m_events.progress(copy.succeeded ? 100 : 0);
    }
    if (!inLog) {
        QString message = report;
        message.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
        if (!copy.succeeded)
            message += QLatin1Char('\n') + copy.failure;
        emit m_events.message(message.trimmed());
    } else if (!copy.succeeded) {
        emit m_events.message(copy.failure);
    }
    emit copyEnded(copy);
    // Nothing is offered after a failed copy.
    if (!copy.succeeded || !m_ask)
        return EndWork();
    m_copied = copy;
    m_eject->CheckOffer(copy);
}

void FirmwareStaging::EndWork() {
    m_copyRunning = false;
    emit workEnded();
}

} // namespace kestrel
