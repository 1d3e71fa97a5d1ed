#include "staging_handlers.h"

#include "staging_texts.h"
#include "operator_input.h"
#include "session_events.h"
#include "session_io.h"

#include <QFileInfo>

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

StagingHandlers::StagingHandlers(SessionIo io)
    : m_log(io.log), m_events(io.events), m_input(io.input) {}

bool StagingHandlers::RefuseDuringCopy() {
    if (!m_copyRunning)
        return false;
    emit m_events.message(t::SelectDuringCopy());
    return true;
}

void StagingHandlers::OnBnClickedSelectHw() {
    if (RefuseDuringCopy())
        return;
    m_choices.m_bHwSelected = false;
    m_choices.m_strHwPath.clear();
    m_choices.m_strHwName.clear();
    const QString path =
        AnswerPath(m_input.ChooseExistingFile(QStringLiteral("*.rbf"), HwFilters()));
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

void StagingHandlers::OnBnClickedSelectSw() {
    if (RefuseDuringCopy())
        return;
    m_choices.m_bSwSelected = false;
    m_choices.m_strSwPath.clear();
    m_choices.m_strSwName.clear();
    const QString path =
        AnswerPath(m_input.ChooseExistingFile(QStringLiteral("vx_server*"), SwFilters()));
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

void StagingHandlers::OnBnClickedSelectUsb() {
    if (RefuseDuringCopy())
        return;
    m_choices.m_bUsbSelected = false;
    m_choices.m_strUsbPath.clear();
    m_choices.m_strUsbPath = AnswerPath(m_input.ChooseFolder());
    emit m_events.choiceShown(Choice::UsbFolder, m_choices.m_strUsbPath);
    if (m_choices.m_strUsbPath.isEmpty()) {
        emit m_events.message(t::NoValidFolder());
        return;
    }
    m_choices.m_bUsbSelected = true;
}

} // namespace kestrel
