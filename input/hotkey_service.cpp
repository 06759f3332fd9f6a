#include "input/hotkey_service.h"

#include "platform/hotkeys.h"
#include "window/main_window.h"

namespace pelmora {
namespace {

HotkeyServiceState& state() {
  static HotkeyServiceState s;
  return s;
}

}  // namespace

const HotkeyServiceState& hotkeyService() { return state(); }

std::uint32_t hotkeyFlags(std::int32_t modifierCode) {
  static constexpr std::uint32_t kFlags[] = {
      0,                        // none
      MOD_CONTROL,              // Ctrl
      MOD_SHIFT,                // Shift
      MOD_CONTROL | MOD_SHIFT,  // Ctrl+Shift
      MOD_ALT,                  // Alt
      MOD_ALT | MOD_CONTROL,    // Ctrl+Alt
      MOD_ALT | MOD_SHIFT,      // Shift+Alt
  };
  if (modifierCode >= 0 && modifierCode < static_cast<std::int32_t>(std::size(kFlags))) {
    return kFlags[modifierCode];
  }
  return static_cast<std::uint32_t>(modifierCode);
}

std::int32_t registerHotkey(HWND window, HWND feedbackLabel, std::int32_t modifierCode,
                            std::int32_t virtualKey) {
  HotkeyServiceState& s = state();
  s.feedbackWindow = feedbackLabel;
  const std::uint32_t flags = hotkeyFlags(modifierCode);
  if (s.savedWindowProc == nullptr) {
    s.savedWindowProc = platform::replaceWindowProc(window, hotkeyWindowProc);
  }
  ++s.registrationCount;
  ++s.hotkeySerial;
  s.lastHotkeyId = kHotkeyIdBase + static_cast<std::int32_t>(s.hotkeySerial);
  const bool ok =
      platform::registerSystemHotkey(window, s.lastHotkeyId, flags, static_cast<UINT>(virtualKey));
  return ok ? s.lastHotkeyId : 0;
}

bool unregisterHotkey(HWND window, std::int32_t id) {
  HotkeyServiceState& s = state();
  const bool ok = platform::unregisterSystemHotkey(window, id);
  --s.registrationCount;
  if (s.savedWindowProc != nullptr && s.registrationCount == 0) {
    platform::replaceWindowProc(window, s.savedWindowProc);
    s.savedWindowProc = nullptr;
  }
  return ok;
}

LRESULT CALLBACK hotkeyWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  const HotkeyServiceState& s = state();
  if (message == WM_HOTKEY) {
    const auto id = static_cast<std::uint32_t>(wParam);
    if (id >= static_cast<std::uint32_t>(kHotkeyIdBase + 1) &&
        id <= static_cast<std::uint32_t>(s.lastHotkeyId)) {
      SendMessageW(s.feedbackWindow, kFeedbackMessage, wParam, 0);
    }
  }
  if (s.savedWindowProc == nullptr) return DefWindowProcW(window, message, wParam, lParam);
  return CallWindowProcW(s.savedWindowProc, window, message, wParam, lParam);
}

}  // namespace pelmora
