#include "app/lifecycle.h"

#include "app/state.h"
#include "input/hotkey_service.h"
#include "window/main_window.h"

namespace pelmora {

void onCreated() {
  ProgramState& state = programState();
  const HWND main = mainWindow();
  const HWND label = controlWindow(ControlName::label2);
  state.startHotkeyId = registerHotkey(main, label, 0, VK_F1);
  state.stopHotkeyId = registerHotkey(main, label, 0, VK_F2);
}

void onWillBeDestroyed() {
  ProgramState& state = programState();
  state.mouseHook.reset();
  unregisterHotkey(mainWindow(), state.startHotkeyId);
  unregisterHotkey(mainWindow(), state.stopHotkeyId);
}

int runPelmora(HINSTANCE instance, const EventBindings& bindings) {
  if (!buildMainWindow(instance, bindings)) {
    MessageBoxW(nullptr, L"加载主窗口失败。", L"Pelmora", MB_OK | MB_ICONERROR);
    return -1;
  }
  raiseCreatedAndShow();
  return runMessageLoop();
}

}  // namespace pelmora
