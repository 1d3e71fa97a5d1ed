#pragma once

#include "button_handlers.h"
#include "dialog_units.h"
#include "operator_input.h"
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
// Button handlers may wait for the camera in nested event loops, so a second
// handler can run inside the first one. Closing the window while any handler
// runs only records the request; the window closes when the outermost
// handler returns, so that nothing a handler uses goes away under it.
class CKestrel_FlashToolDlg : public QDialog,
                              public kestrel::WindowSurface,
                              public kestrel::OperatorInput {
    Q_OBJECT

public:
    explicit CKestrel_FlashToolDlg(QWidget* parent = nullptr);
    ~CKestrel_FlashToolDlg() override;

    // What the push buttons run. Until set, the buttons do nothing.
    void SetButtonHandlers(kestrel::ButtonHandlers handlers);

    // Runs one handler, counted as running until it returns; performs a close
    // that was asked for meanwhile once no handler runs any more.
    void RunHandler(std::function<void()> handler);
    int HandlerDepth() const { return m_handlerDepth; }
    bool IsClosePending() const { return m_closePending; }

    // Opens the About box modally.
    void ShowAbout();
    // Opens the Find cameras box modally; the camera chosen there goes into
    // the camera address field.
    void ShowFindCameras();

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
    // kestrel::OperatorInput
    void Wait(int ms) override;

public slots:
    // Enter never closes the window.
    void accept() override;
    // Esc, the close box and the system menu's Close: deferred while a
    // handler runs.
    void reject() override;

protected:
    void keyPressEvent(QKeyEvent* event) override;
    void contextMenuEvent(QContextMenuEvent* event) override;
    void showEvent(QShowEvent* event) override;
    bool nativeEvent(const QByteArray& eventType, void* message, qintptr* result) override;

private:
    void CreateControls();
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
    int m_handlerDepth = 0;
    bool m_closePending = false;
    bool m_systemMenuExtended = false;
};
