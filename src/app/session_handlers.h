#pragma once

#include "button_handlers.h"

class CKestrel_FlashToolDlg;

namespace kestrel {

class ToolSession;

// The main window's buttons bound to the session's handlers; Connect passes
// the window's address field.
ButtonHandlers SessionButtonHandlers(ToolSession& session, CKestrel_FlashToolDlg& window);

// The window on the session: its buttons run the session's handlers, and a
// close waits for the session's work (a run above all) to end.
void BindSession(ToolSession& session, CKestrel_FlashToolDlg& window);

} // namespace kestrel
