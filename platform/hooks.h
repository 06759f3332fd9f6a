// The low-level mouse hook: its owning handle and the calls that install it and pass events on.
#pragma once

#include "platform/handle.h"
#include "platform/win32.h"

namespace pelmora::platform {

struct HhookTraits {
  using pointer = HHOOK;
  static constexpr pointer invalid() noexcept { return nullptr; }
  static void close(pointer hook) noexcept { UnhookWindowsHookEx(hook); }
};
// Installed exactly when non-null: a handle whose top bit is set is as valid as any other.
using UniqueHhook = UniqueHandle<HhookTraits>;

// Hooks every mouse event of the desktop; the procedure runs on the calling thread.
inline UniqueHhook installMouseHook(HOOKPROC procedure) {
  return UniqueHhook(SetWindowsHookExW(WH_MOUSE_LL, procedure, GetModuleHandleW(nullptr), 0));
}

inline LRESULT callNextHook(HHOOK hook, int code, WPARAM wParam, LPARAM lParam) {
  return CallNextHookEx(hook, code, wParam, lParam);
}

}  // namespace pelmora::platform
