// Drops on the main window: the control under the cursor picks which of the window's drop
// handlers runs. Label4 and Shape1 take no drops; a drop over them goes to what lies beneath.
#pragma once

#include <windows.h>

#include <memory>

#include "dscp/drop_handlers.h"
#include "dscp/drop_target_win.h"

namespace karuvel {

// The handler for the control with this identifier (shell/control_ids.h); 0 is the window itself.
// Null for controls that take no drops.
DropHandler DropHandlerFor(int controlId);

// Registers the main window (and so every control on it) as a drop target. OLE must be
// initialised on this thread for as long as the registration lives.
std::unique_ptr<DropTargetRegistration> RegisterWindowDrops(App& app, HWND mainWindow);

}  // namespace karuvel
