#include "kestrel_flashtool_app.h"

#include "app_icon.h"
#include "app_identity.h"
#include "file_choosers.h"
#include "history_event.h"
#include "history_recorder.h"
#include "kestrel_flashtool_dlg.h"
#include "session_handlers.h"
#include "tool_session.h"

#include <QStyle>
#include <QStyleFactory>

CKestrel_FlashToolApp::CKestrel_FlashToolApp(int& argc, char** argv) : m_app(argc, argv) {
    QApplication::setApplicationName(QString::fromLatin1(kestrel::kApplicationName));
    QApplication::setApplicationVersion(QString::fromLatin1(kestrel::kApplicationVersion));
    // The settings (where the choosers were left) are kept under the tool's
    // own name.
    QApplication::setOrganizationName(QString::fromLatin1(kestrel::kApplicationName));
    // Only the end of the main window's modal run ends the program, never a
    // window that closes on its own.
    QApplication::setQuitOnLastWindowClosed(false);
    // The classic control look of a Windows dialog, on every platform.
    if (QStyle* classic = QStyleFactory::create(QStringLiteral("Windows")))
        QApplication::setStyle(classic);
    QApplication::setWindowIcon(kestrel::MakeAppIcon());
    QGuiApplication::setDesktopFileName(QStringLiteral(KESTREL_APP_ID));
}

int CKestrel_FlashToolApp::InitInstance() {
    CKestrel_FlashToolDlg dlg;
    kestrel::FileChoosers choosers(&dlg);
    // The production history: what the window does is written to it on a
    // thread of its own; it outlives the session that writes to it.
    kestrel::HistoryRecorder history(kestrel::history::kWindow);
    dlg.SetHistoryPath(history.Path());
    // Declared after the window, so it goes first; the window closes only
    // when no handler runs and no work of the session is under way.
    kestrel::ToolSession session(dlg, choosers);
    session.KeepHistory(history);
    kestrel::BindSession(session, dlg);
    dlg.exec();
    return 0;
}
