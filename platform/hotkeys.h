// System-wide hotkeys and the window-procedure exchange that lets the hotkey service see them.
#pragma once

#include "platform/win32.h"

namespace pelmora::platform {

inline bool registerSystemHotkey(HWND window, int id, UINT flags, UINT virtualKey) {
  return RegisterHotKey(window, id, flags, virtualKey) != FALSE;
}
inline bool unregisterSystemHotkey(HWND window, int id) {
  return UnregisterHotKey(window, id) != FALSE;
}

// Installs `procedure` as the window's procedure and returns the one it replaces.
inline WNDPROC replaceWindowProc(HWND window, WNDPROC procedure) {
  return reinterpret_cast<WNDPROC>(
      SetWindowLongPtrW(window, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(procedure)));
}
inline WNDPROC windowProc(HWND window) {
  return reinterpret_cast<WNDPROC>(GetWindowLongPtrW(window, GWLP_WNDPROC));
}

}  // namespace pelmora::platform
