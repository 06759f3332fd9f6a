// The hotkey service: registers system-wide hotkeys on a window and reports every press to one
// feedback label, synchronously, before the window's own procedure sees WM_HOTKEY.
#pragma once

#include <cstdint>

#include "platform/win32.h"

namespace pelmora {

inline constexpr std::int32_t kHotkeyIdBase = 33000;  // the n-th registration gets 33000 + n

struct HotkeyServiceState {
  std::int32_t registrationCount = 0;  // +1 per register call, -1 per release call, success or not
  std::uint32_t hotkeySerial = 0;      // +1 per register call; never lowered
  std::int32_t lastHotkeyId = 0;       // the latest identifier handed out, 0 before the first
  HWND feedbackWindow = nullptr;       // the label every press is reported to
  WNDPROC savedWindowProc = nullptr;   // the window's own procedure while the service holds it
};

const HotkeyServiceState& hotkeyService();

// Modifier code of the service (1 Ctrl, 2 Shift, 4 Alt) to RegisterHotKey flags; codes outside
// 0..6 pass through unchanged.
std::uint32_t hotkeyFlags(std::int32_t modifierCode);

// Returns the registration's identifier, or 0 when the system refused it. The identifier is
// used up either way.
std::int32_t registerHotkey(HWND window, HWND feedbackLabel, std::int32_t modifierCode,
                            std::int32_t virtualKey);

// Releases a registration; after the last release the window gets its own procedure back.
bool unregisterHotkey(HWND window, std::int32_t id);

LRESULT CALLBACK hotkeyWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

}  // namespace pelmora
