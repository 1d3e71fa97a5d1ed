#include "session_handlers.h"

#include "app/tool_session.h"

namespace kestrel {

ButtonHandlers SessionButtonHandlers(ToolSession& session) {
    ButtonHandlers handlers;
    handlers.connect = [&session] { session.OnBnClickedConnect(); };
    handlers.fwUpdate = [&session] { session.OnBnClickedFwUpdate(); };
    return handlers;
}

} // namespace kestrel
