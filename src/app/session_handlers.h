#pragma once

#include "button_handlers.h"

namespace kestrel {

class ToolSession;

// The main window's buttons bound to the session's handlers.
ButtonHandlers SessionButtonHandlers(ToolSession& session);

} // namespace kestrel
