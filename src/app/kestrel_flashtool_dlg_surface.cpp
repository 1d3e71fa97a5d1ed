// The main window as the window surface of the tool's logic.

#include "kestrel_flashtool_dlg.h"

#include "ip_address_edit.h"
#include "pane_edit.h"

#include <QCoreApplication>
#include <QFileInfo>
#include <QMessageBox>
#include <QProgressBar>
#include <QPushButton>

void CKestrel_FlashToolDlg::ShowTextWithCaret(kestrel::Pane pane, const QString& text,
                                              qsizetype caretPos) {
    PaneWidget(pane)->ShowTextWithCaret(text, caretPos);
}

void CKestrel_FlashToolDlg::SetPaneText(kestrel::Pane pane, const QString& text) {
    PaneWidget(pane)->SetTextKeepingCaret(text);
}

void CKestrel_FlashToolDlg::SetConnectCaption(const QString& caption) {
    m_btnConnect->setText(caption);
    m_btnConnect->setAccessibleName(caption);
}

QString CKestrel_FlashToolDlg::ReadCameraAddress() {
    return m_ipCamera->address();
}

void CKestrel_FlashToolDlg::SetProgress(int position) {
    m_progress->setValue(position);
}

void CKestrel_FlashToolDlg::ShowMessageBox(const QString& text) {
    // Titled with the executable's name, as the framework's message boxes are.
    const QString title = QFileInfo(QCoreApplication::applicationFilePath()).completeBaseName();
    QMessageBox box(QMessageBox::Warning, title, text, QMessageBox::Ok, this);
    box.setTextFormat(Qt::PlainText);
    box.exec();
}

bool CKestrel_FlashToolDlg::AskQuestion(const QString& text, const QString& yes,
                                        const QString& no) {
    const QString title = QFileInfo(QCoreApplication::applicationFilePath()).completeBaseName();
    QMessageBox box(QMessageBox::Question, title, text, QMessageBox::NoButton, this);
    box.setTextFormat(Qt::PlainText);
    QPushButton* yesButton = box.addButton(yes, QMessageBox::AcceptRole);
    QPushButton* noButton = box.addButton(no, QMessageBox::RejectRole);
    box.setDefaultButton(yesButton);
    box.setEscapeButton(noButton);
    box.exec();
    return box.clickedButton() == yesButton;
}
