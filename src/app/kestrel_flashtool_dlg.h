#pragma once

#include "button_handlers.h"
#include "dialog_units.h"
#include "window_surface.h"

#include <QDialog>
#include <QIcon>

#include <functional>

class QProgressBar;
class QPushButton;

namespace kestrel {
class IpAddressEdit;
class PaneEdit;
} // namespace kestrel

// The tool's main window. It shows the controls of the main dialog template
// at their template positions and is the window surface through which the
// tool's logic reaches the operator.
//
// Button handlers start the camera's operations and return; a handler that
// opens a modal box (a chooser, a question) runs until the box closes, and
// other handlers can run meanwhile. Closing the window while a handler runs,
// or while the logic behind the window has work under way (a programming
// run above all), only records the request; the window closes once neither
// is the case any more, so that nothing a handler or the work uses goes away
// under it.
class CKestrel_FlashToolDlg : public QDialog, public kestrel::WindowSurface {
    Q_OBJECT

public:
    explicit CKestrel_FlashToolDlg(QWidget* parent = nullptr);
    ~CKestrel_FlashToolDlg() override;

    // What the push buttons run. Until set, the buttons do nothing.
    void SetButtonHandlers(kestrel::ButtonHandlers handlers);

    // Tells whether the logic behind the window has work under way that a
    // close must wait for; none set: nothing is.
    void SetBusy(std::function<bool()> busy) { m_busy = std::move(busy); }

    // Runs one handler, counted as running until it returns; performs a close
    // that was asked for meanwhile once no handler runs any more.
    void RunHandler(std::function<void()> handler);
    // Some work behind the window ended: a close asked for meanwhile is
    // performed, unless a handler runs or work is still under way.
    void WorkEnded();
    int HandlerDepth() const { return m_handlerDepth; }
    bool IsClosePending() const { return m_closePending; }

    // Opens the About box modally.
    void ShowAbout();
    // Opens the Find cameras box modally; the camera chosen there goes into
    // the camera address field.
    void ShowFindCameras();
    // The production history the History box reads; none set: the usual one.
    void SetHistoryPath(const QString& path) { m_historyPath = path; }
    // Opens the History box modally; the window's work goes on meanwhile.
    void ShowHistory();

    QPushButton* FwUpdateButton() const { return m_btnFwUpdate; }
    QPushButton* CopyToUsbButton() const { return m_btnCopyToUsb; }
    QPushButton* SelectHwButton() const { return m_btnSelectHw; }
    QPushButton* SelectSwButton() const { return m_btnSelectSw; }
    QPushButton* SelectUsbButton() const { return m_btnSelectUsb; }
    QPushButton* ConnectButton() const { return m_btnConnect; }
    kestrel::IpAddressEdit* CameraAddressEdit() const { return m_ipCamera; }
    kestrel::PaneEdit* PaneWidget(kestrel::Pane pane) const;
    const kestrel::DialogUnits& Units() const { return m_units; }

    // kestrel::WindowSurface
    void ShowTextWithCaret(kestrel::Pane pane, const QString& text, qsizetype caretPos) override;
    void SetPaneText(kestrel::Pane pane, const QString& text) override;
    void SetConnectCaption(const QString& caption) override;
    void SetProgress(int position) override;
    void ShowMessageBox(const QString& text) override;
    bool AskQuestion(const QString& text, const QString& yes, const QString& no) override;
    // The camera address field as dotted decimal; empty fields read 0, so an
    // empty field reads "0.0.0.0".
    QString ReadCameraAddress();

public slots:
    // Enter never closes the window.
    void accept() override;
    // Esc, the close box and the system menu's Close: deferred while a
    // handler runs or work is under way.
    void reject() override;

protected:
    void keyPressEvent(QKeyEvent* event) override;
    void contextMenuEvent(QContextMenuEvent* event) override;
    void showEvent(QShowEvent* event) override;
    bool nativeEvent(const QByteArray& eventType, void* message, qintptr* result) override;

private:
    void CreateControls();
    bool MustWaitToClose() const;
    void ConnectButtons();

    kestrel::DialogUnits m_units;
    QIcon m_hIcon;
    kestrel::PaneEdit* m_editLog = nullptr;
    kestrel::PaneEdit* m_editInfo = nullptr;
    kestrel::PaneEdit* m_editHwFile = nullptr;
    kestrel::PaneEdit* m_editSwFile = nullptr;
    kestrel::PaneEdit* m_editUsbPath = nullptr;
    QPushButton* m_btnConnect = nullptr;
    kestrel::IpAddressEdit* m_ipCamera = nullptr;
    QProgressBar* m_progress = nullptr;
    QPushButton* m_btnFwUpdate = nullptr;
    QPushButton* m_btnCopyToUsb = nullptr;
    QPushButton* m_btnSelectHw = nullptr;
    QPushButton* m_btnSelectSw = nullptr;
    QPushButton* m_btnSelectUsb = nullptr;

    kestrel::ButtonHandlers m_handlers;
    std::function<bool()> m_busy;
    int m_handlerDepth = 0;
    bool m_closePending = false;
    bool m_systemMenuExtended = false;
    QString m_historyPath;
};
