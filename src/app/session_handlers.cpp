#include "session_handlers.h"

#include "camera.h"
#include "firmware_staging.h"
#include "kestrel_flashtool_dlg.h"
#include "tool_session.h"

namespace kestrel {

ButtonHandlers SessionButtonHandlers(ToolSession& session, CKestrel_FlashToolDlg& window) {
    ButtonHandlers handlers;
    handlers.connect = [&session, &window] {
        session.Connect(window.ReadCameraAddress());
    };
    handlers.fwUpdate = [&session] { session.StartUpdate(); };
    handlers.copyToUsb = [&session] { session.CopyToStick(); };
    handlers.selectHw = [&session] { session.ChooseHwFile(); };
    handlers.selectSw = [&session] { session.ChooseSwFile(); };
    handlers.selectUsb = [&session] { session.ChooseStickFolder(); };
    return handlers;
}

void BindSession(ToolSession& session, CKestrel_FlashToolDlg& window) {
    window.SetButtonHandlers(SessionButtonHandlers(session, window));
    window.SetBusy([&session] { return session.Busy(); });
    // Where the camera's work or the copy's ends, a close asked for meanwhile
    // may go ahead.
    Camera& camera = session.TheCamera();
    const auto ended = [&window] { window.WorkEnded(); };
    QObject::connect(&camera, &Camera::connectEnded, &window, ended);
    QObject::connect(&camera, &Camera::runEnded, &window, ended);
    QObject::connect(&camera, &Camera::identityRead, &window, ended);
    QObject::connect(&camera, &Camera::disconnected, &window, ended);
    QObject::connect(&session.Staging(), &FirmwareStaging::workEnded, &window, ended);
}

} // namespace kestrel
