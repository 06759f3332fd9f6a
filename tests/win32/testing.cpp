#include "testing.h"

#include <vector>

#include "platform/windowing.h"
#include "window/main_window.h"

namespace pelmora::testing {

bool pumpMessages(std::chrono::milliseconds duration, int* exitCode) {
  const auto end = std::chrono::steady_clock::now() + duration;
  MSG message;
  do {
    while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
      if (message.message == WM_QUIT) {
        if (exitCode != nullptr) *exitCode = static_cast<int>(message.wParam);
        return true;
      }
      if (preTranslateMessage(message)) continue;
      TranslateMessage(&message);
      DispatchMessageW(&message);
    }
    MsgWaitForMultipleObjects(0, nullptr, FALSE, 1, QS_ALLINPUT);
  } while (std::chrono::steady_clock::now() < end);
  return false;
}

bool startMainWindow(const EventBindings& bindings) {
  if (!buildMainWindow(GetModuleHandleW(nullptr), bindings)) return false;
  raiseCreatedAndShow();
  pumpMessages(std::chrono::milliseconds(50));
  return true;
}

int closeMainWindow() {
  const HWND main = mainWindow();
  if (main == nullptr) return -2;
  PostMessageW(main, WM_CLOSE, 0, 0);
  int exitCode = -2;
  const auto end = std::chrono::steady_clock::now() + std::chrono::seconds(5);
  while (std::chrono::steady_clock::now() < end) {
    if (pumpMessages(std::chrono::milliseconds(20), &exitCode)) return exitCode;
  }
  return -2;
}

void pressKey(WORD virtualKey, std::initializer_list<WORD> modifiers) {
  std::vector<INPUT> inputs;
  const auto key = [&inputs](WORD vk, bool up) {
    INPUT input{};
    input.type = INPUT_KEYBOARD;
    input.ki.wVk = vk;
    input.ki.dwFlags = up ? KEYEVENTF_KEYUP : 0;
    inputs.push_back(input);
  };
  for (const WORD m : modifiers) key(m, false);
  key(virtualKey, false);
  key(virtualKey, true);
  for (auto it = modifiers.end(); it != modifiers.begin();) key(*--it, true);
  SendInput(static_cast<UINT>(inputs.size()), inputs.data(), sizeof(INPUT));
}

std::string cp936(const wchar_t* text) { return platform::narrow936(text); }

}  // namespace pelmora::testing
