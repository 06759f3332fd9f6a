// Start-up and shut-down of the process, and the main window's own event handlers.
#pragma once

#include "app/events.h"
#include "platform/win32.h"

namespace pelmora {

// Registers F1 and then F2 with the hotkey service, reported to 标签2.
void onCreated();
// Removes the mouse hook, then releases F1 and then F2.
void onWillBeDestroyed();

// Builds the window, raises Created, shows it and runs the message loop. Returns the exit code:
// 0 after the window has closed, -1 (after telling the user) when it could not be built.
int runPelmora(HINSTANCE instance, const EventBindings& bindings);

}  // namespace pelmora
