#include "session_handlers.h"

#include "tool_session.h"

namespace kestrel {

ButtonHandlers SessionButtonHandlers(ToolSession& session) {
    ButtonHandlers handlers;
    handlers.connect = [&session] { session.OnBnClickedConnect(); };
    handlers.fwUpdate = [&session] { session.OnBnClickedFwUpdate(); };
    handlers.copyToUsb = [&session] { session.OnBnClickedCopyToUsb(); };
    handlers.selectHw = [&session] { session.OnBnClickedSelectHw(); };
    handlers.selectSw = [&session] { session.OnBnClickedSelectSw(); };
    handlers.selectUsb = [&session] { session.OnBnClickedSelectUsb(); };
    return handlers;
}

} // namespace kestrel
