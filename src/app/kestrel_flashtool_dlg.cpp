#include "kestrel_flashtool_dlg.h"

#include "about_dlg.h"
#include "app_icon.h"
#include "app_identity.h"
#include "dialog_font.h"
#include "find_cameras_dlg.h"
#include "history_dlg.h"
#include "history_path.h"
#include "ip_address_edit.h"
#include "main_dialog_template.h"
#include "pane_edit.h"
#include "system_menu.h"

#include <QContextMenuEvent>
#include <QKeyEvent>
#include <QLabel>
#include <QMenu>
#include <QProgressBar>
#include <QPushButton>
#include <QShortcut>

namespace {

const QString kAboutItemText = QStringLiteral("&About Kestrel_FlashTool...");
const QString kFindCamerasItemText = QStringLiteral("&Find cameras\u2026");
const QString kHistoryItemText = QStringLiteral("&History\u2026");

} // namespace

CKestrel_FlashToolDlg::CKestrel_FlashToolDlg(QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                          Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint |
                          Qt::MSWindowsFixedSizeDialogHint),
      m_units(kestrel::DialogUnits::FromFont(kestrel::DialogFont())),
      m_hIcon(kestrel::MakeAppIcon()) {
    setWindowTitle(QString::fromLatin1(kestrel::kApplicationName));
    setWindowIcon(m_hIcon);
    setFont(kestrel::DialogFont());
    setFixedSize(m_units.ToPixels(kestrel::kMainDialogSize));
    CreateControls();
    ConnectButtons();

    auto* help = new QShortcut(QKeySequence(Qt::Key_F1), this);
    connect(help, &QShortcut::activated, this, &CKestrel_FlashToolDlg::ShowAbout);

    // The first tab stop has the focus when the window opens.
    m_btnFwUpdate->setFocus(Qt::OtherFocusReason);
}

CKestrel_FlashToolDlg::~CKestrel_FlashToolDlg() = default;

void CKestrel_FlashToolDlg::CreateControls() {
    QList<QWidget*> tabStops;
    for (const kestrel::ControlTemplate& control : kestrel::MainDialogTemplate()) {
        const QString caption = QString::fromLatin1(control.caption);
        QWidget* widget = nullptr;
        switch (control.kind) {
        case kestrel::ControlKind::PushButton: {
            auto* button = new QPushButton(caption, this);
            // No default button: Enter acts only on the button that has the focus.
            button->setAutoDefault(false);
            button->setDefault(false);
            widget = button;
            break;
        }
        case kestrel::ControlKind::Static: {
            auto* label = new QLabel(caption, this);
            label->setTextFormat(Qt::PlainText);
            label->setAlignment(Qt::AlignLeft | Qt::AlignTop);
            widget = label;
            break;
        }
        case kestrel::ControlKind::Pane: {
            auto* pane = new kestrel::PaneEdit(this);
            // Tab stops every 32 horizontal dialog units, as in a Windows edit.
            pane->setTabStopDistance(m_units.ToPixelsX(32));
            widget = pane;
            break;
        }
        case kestrel::ControlKind::ProgressBar: {
            auto* bar = new QProgressBar(this);
            bar->setRange(0, 100);
            bar->setValue(0);
            bar->setTextVisible(false);
            bar->setFocusPolicy(Qt::NoFocus);
            widget = bar;
            break;
        }
        case kestrel::ControlKind::IpAddress:
            widget = new kestrel::IpAddressEdit(this);
            break;
        }
        widget->setObjectName(QString::fromLatin1(control.id));
        widget->setAccessibleName(QString::fromLatin1(control.accessibleName));
        widget->setGeometry(m_units.ToPixels(control.rect));
        if (widget->focusPolicy() != Qt::NoFocus)
            tabStops << widget;
    }
    for (qsizetype i = 1; i < tabStops.size(); ++i)
        QWidget::setTabOrder(tabStops[i - 1], tabStops[i]);

    m_editLog = findChild<kestrel::PaneEdit*>(QStringLiteral("IDC_LOG"));
    m_editInfo = findChild<kestrel::PaneEdit*>(QStringLiteral("IDC_INFO"));
    m_editHwFile = findChild<kestrel::PaneEdit*>(QStringLiteral("IDC_HW_FILE"));
    m_editSwFile = findChild<kestrel::PaneEdit*>(QStringLiteral("IDC_SW_FILE"));
    m_editUsbPath = findChild<kestrel::PaneEdit*>(QStringLiteral("IDC_USB_PATH"));
    m_btnConnect = findChild<QPushButton*>(QStringLiteral("IDC_CONNECT"));
    m_ipCamera = findChild<kestrel::IpAddressEdit*>(QStringLiteral("IDC_CAMERA_IP"));
    m_progress = findChild<QProgressBar*>(QStringLiteral("IDC_PROGRESS"));
    m_btnFwUpdate = findChild<QPushButton*>(QStringLiteral("IDC_FW_UPDATE"));
    m_btnCopyToUsb = findChild<QPushButton*>(QStringLiteral("IDC_COPY_TO_USB"));
    m_btnSelectHw = findChild<QPushButton*>(QStringLiteral("IDC_SELECT_HW"));
    m_btnSelectSw = findChild<QPushButton*>(QStringLiteral("IDC_SELECT_SW"));
    m_btnSelectUsb = findChild<QPushButton*>(QStringLiteral("IDC_SELECT_USB"));
}

void CKestrel_FlashToolDlg::ConnectButtons() {
    const auto route = [this](QPushButton* button,
                              std::function<void()> kestrel::ButtonHandlers::*entry) {
        connect(button, &QPushButton::clicked, this,
                [this, entry] { RunHandler(m_handlers.*entry); });
    };
    route(m_btnConnect, &kestrel::ButtonHandlers::connect);
    route(m_btnFwUpdate, &kestrel::ButtonHandlers::fwUpdate);
    route(m_btnCopyToUsb, &kestrel::ButtonHandlers::copyToUsb);
    route(m_btnSelectHw, &kestrel::ButtonHandlers::selectHw);
    route(m_btnSelectSw, &kestrel::ButtonHandlers::selectSw);
    route(m_btnSelectUsb, &kestrel::ButtonHandlers::selectUsb);
}

void CKestrel_FlashToolDlg::SetButtonHandlers(kestrel::ButtonHandlers handlers) {
    m_handlers = std::move(handlers);
}

void CKestrel_FlashToolDlg::RunHandler(std::function<void()> handler) {
    if (!handler)
        return;
    ++m_handlerDepth;
    handler();
    --m_handlerDepth;
    WorkEnded();
}

bool CKestrel_FlashToolDlg::MustWaitToClose() const {
    return m_handlerDepth > 0 || (m_busy && m_busy());
}

void CKestrel_FlashToolDlg::WorkEnded() {
    if (!m_closePending || MustWaitToClose())
        return;
    m_closePending = false;
    QDialog::reject();
}

void CKestrel_FlashToolDlg::accept() {
    // Enter never ends the dialog.
}

void CKestrel_FlashToolDlg::reject() {
    if (MustWaitToClose()) {
        m_closePending = true;
        return;
    }
    QDialog::reject();
}

void CKestrel_FlashToolDlg::keyPressEvent(QKeyEvent* event) {
    const bool enter = event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter;
    if (enter && (event->modifiers() & ~Qt::KeypadModifier) == Qt::NoModifier) {
        // As in a dialog without a default button: Enter clicks the push
        // button that has the focus and does nothing anywhere else.
        if (auto* button = qobject_cast<QPushButton*>(focusWidget()))
            button->click();
        event->accept();
        return;
    }
    QDialog::keyPressEvent(event);
}

void CKestrel_FlashToolDlg::contextMenuEvent(QContextMenuEvent* event) {
    QMenu menu(this);
    QAction* about = menu.addAction(kAboutItemText);
    QAction* find = menu.addAction(kFindCamerasItemText);
    QAction* history = menu.addAction(kHistoryItemText);
    QAction* picked = menu.exec(event->globalPos());
    if (picked == about)
        ShowAbout();
    else if (picked == find)
        ShowFindCameras();
    else if (picked == history)
        ShowHistory();
}

void CKestrel_FlashToolDlg::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    if (!m_systemMenuExtended)
        m_systemMenuExtended =
            kestrel::AppendAboutToSystemMenu(*this, kAboutItemText) &&
            kestrel::AppendItemToSystemMenu(*this, kestrel::kFindCamerasCommand,
                                            kFindCamerasItemText) &&
            kestrel::AppendItemToSystemMenu(*this, kestrel::kHistoryCommand, kHistoryItemText);
}

bool CKestrel_FlashToolDlg::nativeEvent(const QByteArray& eventType, void* message,
                                        qintptr* result) {
    if (kestrel::IsAboutSystemCommand(eventType, message)) {
        ShowAbout();
        *result = 0;
        return true;
    }
    if (kestrel::IsSystemCommand(eventType, message, kestrel::kFindCamerasCommand)) {
        ShowFindCameras();
        *result = 0;
        return true;
    }
    if (kestrel::IsSystemCommand(eventType, message, kestrel::kHistoryCommand)) {
        ShowHistory();
        *result = 0;
        return true;
    }
    return QDialog::nativeEvent(eventType, message, result);
}

void CKestrel_FlashToolDlg::ShowAbout() {
    CAboutDlg about(this);
    about.exec();
}

void CKestrel_FlashToolDlg::ShowFindCameras() {
    CFindCamerasDlg find(this);
    if (find.exec() == QDialog::Accepted && !find.ChosenAddress().isEmpty())
        m_ipCamera->setAddress(find.ChosenAddress());
}

void CKestrel_FlashToolDlg::ShowHistory() {
    CHistoryDlg history(m_historyPath.isEmpty() ? kestrel::HistoryPath() : m_historyPath, this);
    history.exec();
}

kestrel::PaneEdit* CKestrel_FlashToolDlg::PaneWidget(kestrel::Pane pane) const {
    switch (pane) {
    case kestrel::Pane::Log:
        return m_editLog;
    case kestrel::Pane::Info:
        return m_editInfo;
    case kestrel::Pane::HwFile:
        return m_editHwFile;
    case kestrel::Pane::SwFile:
        return m_editSwFile;
    case kestrel::Pane::UsbPath:
        return m_editUsbPath;
    }
    return nullptr;
}
