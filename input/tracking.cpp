#include "input/tracking.h"

#include <cstring>

#include "app/state.h"
#include "readouts/commands.h"
#include "readouts/text.h"
#include "window/main_window.h"

namespace pelmora {

void startTracking() {
  ProgramState& state = programState();
  if (state.mouseHook) return;
  state.mouseHook = platform::installMouseHook(mouseHookProc);
}

LRESULT CALLBACK mouseHookProc(int code, WPARAM wParam, LPARAM lParam) {
  MouseHookRecord record;
  std::memcpy(&record, reinterpret_cast<const void*>(lParam), sizeof record);
  if (wParam == WM_MOUSEMOVE) {
    char text[kCoordinateTextCapacity];
    const std::size_t length = formatCoordinateText(record.x, record.y, text);
    writeText(ControlName::editBox1, std::string_view(text, length));
  }
  return platform::callNextHook(programState().mouseHook.get(), code, wParam, lParam);
}

void onHotkeyFeedback(std::int32_t id, std::int32_t /*unused*/) {
  // A failed registration is stored as 0; no report ever carries 0, so it never matches.
  const ProgramState& state = programState();
  if (id != 0 && id == state.startHotkeyId) startTracking();
  if (id != 0 && id == programState().stopHotkeyId) stopAndSample();
}

}  // namespace pelmora
