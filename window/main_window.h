// The main window: building it and its controls, raising the events of the bindings, the
// keyboard keys the window takes, and the control properties the commands use.
#pragma once

#include <cstdint>
#include <string_view>

#include "app/events.h"
#include "platform/win32.h"
#include "readouts/text.h"
#include "window/layout.h"

namespace pelmora {

// Builds the main window and all its controls, still hidden, centred on the primary screen.
// No handler runs while this goes on. Returns false, with nothing left behind, when the window
// or one of its controls cannot be created. The bindings are copied; the tables their spans
// name must outlive the window.
bool buildMainWindow(HINSTANCE instance, const EventBindings& bindings);

// Raises Created, then shows and activates the window with the focus in 编辑框1.
void raiseCreatedAndShow();

// Takes the keys the window looks at before the focused control does (Tab, Shift+Tab, Esc).
// Returns true when the message was handled and must not be dispatched.
bool preTranslateMessage(const MSG& message);

// Runs the message loop until the quit request; returns its value.
int runMessageLoop();

// Handles of the main window and its controls; null while the window does not exist.
HWND mainWindow();
HWND controlWindow(ControlName name);

// Control properties.
Text readText(ControlName editBox);
void writeText(ControlName editBox, std::string_view text);
std::int32_t readChecked(ControlName checkBox);
void writeAlwaysOnTop(bool onTop);

// The window classes, registered once per process.
inline constexpr wchar_t kMainWindowClass[] = L"PelmoraMainWindow";
inline constexpr wchar_t kLabelClass[] = L"PelmoraLabel";

// The message a label raises its Feedback event on: wParam and lParam become the two arguments.
inline constexpr UINT kFeedbackMessage = 0x8075;

}  // namespace pelmora
