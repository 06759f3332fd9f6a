// Cursor tracking: a system-wide low-level mouse hook that writes the cursor position into
// 编辑框1 on every movement, and the handler that turns hotkey reports into commands.
#pragma once

#include <cstdint>

#include "platform/win32.h"

namespace pelmora {

// The program's copy of the first 20 bytes of the system's low-level mouse record.
struct MouseHookRecord {
  std::int32_t x;
  std::int32_t y;
  std::uint32_t mouseData;
  std::uint32_t flags;
  std::uint32_t time;
};
static_assert(sizeof(MouseHookRecord) == 20);

// Installs the hook unless one is installed already.
void startTracking();

LRESULT CALLBACK mouseHookProc(int code, WPARAM wParam, LPARAM lParam);

// Feedback of 标签2: F1's identifier starts tracking, F2's stops and samples.
void onHotkeyFeedback(std::int32_t id, std::int32_t unused);

}  // namespace pelmora
