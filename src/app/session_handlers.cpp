#include "session_handlers.h"

#include "kestrel_flashtool_dlg.h"
#include "tool_session.h"

namespace kestrel {

ButtonHandlers SessionButtonHandlers(ToolSession& session, CKestrel_FlashToolDlg& window) {
    ButtonHandlers handlers;
    handlers.connect = [&session, &window] {
        session.OnBnClickedConnect(window.ReadCameraAddress());
    };
    handlers.fwUpdate = [&session] { session.OnBnClickedFwUpdate(); };
    handlers.copyToUsb = [&session] { session.OnBnClickedCopyToUsb(); };
    handlers.selectHw = [&session] { session.OnBnClickedSelectHw(); };
    handlers.selectSw = [&session] { session.OnBnClickedSelectSw(); };
    handlers.selectUsb = [&session] { session.OnBnClickedSelectUsb(); };
    return handlers;
}

} // namespace kestrel
