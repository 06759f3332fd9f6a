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

const EventBindings& noHandlers() {
  static const EventBindings bindings{};
  return bindings;
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

bool bringToForeground() {
  const HWND main = mainWindow();
  if (main == nullptr) return false;
  SetForegroundWindow(main);
  return pumpUntil([main] { return GetForegroundWindow() == main; });
}

bool clickAt(POINT desktopPoint) {
  // Absolute coordinates run 0..65535 over the desktop; Wine truncates, so round up.
  const LONG width = GetSystemMetrics(SM_CXSCREEN);
  const LONG height = GetSystemMetrics(SM_CYSCREEN);
  INPUT inputs[3]{};
  for (INPUT& input : inputs) input.type = INPUT_MOUSE;
  inputs[0].mi.dx = static_cast<LONG>((desktopPoint.x * 65536LL + width - 1) / width);
  inputs[0].mi.dy = static_cast<LONG>((desktopPoint.y * 65536LL + height - 1) / height);
  inputs[0].mi.dwFlags = MOUSEEVENTF_MOVE | MOUSEEVENTF_ABSOLUTE;
  SendInput(1, inputs, sizeof(INPUT));
  const bool arrived = pumpUntil([desktopPoint] {
    POINT cursor;
    return GetCursorPos(&cursor) && cursor.x == desktopPoint.x && cursor.y == desktopPoint.y;
  });
  if (!arrived) return false;
  inputs[1].mi.dwFlags = MOUSEEVENTF_LEFTDOWN;
  inputs[2].mi.dwFlags = MOUSEEVENTF_LEFTUP;
  SendInput(2, inputs + 1, sizeof(INPUT));
  return true;
}

void typeText(std::wstring_view text) {
  std::vector<INPUT> inputs;
  for (const wchar_t c : text) {
    for (const DWORD up : {DWORD{0}, DWORD{KEYEVENTF_KEYUP}}) {
      INPUT input{};
      input.type = INPUT_KEYBOARD;
      input.ki.wScan = static_cast<WORD>(c);
      input.ki.dwFlags = KEYEVENTF_UNICODE | up;
      inputs.push_back(input);
    }
  }
  SendInput(static_cast<UINT>(inputs.size()), inputs.data(), sizeof(INPUT));
}

std::wstring windowTextW(HWND window) {
  const int length = GetWindowTextLengthW(window);
  std::wstring text(static_cast<std::size_t>(length > 0 ? length : 0) + 1, L'\0');
  const int copied = GetWindowTextW(window, text.data(), static_cast<int>(text.size()));
  text.resize(static_cast<std::size_t>(copied > 0 ? copied : 0));
  return text;
}

std::string cp936(const wchar_t* text) { return platform::narrow936(text); }

}  // namespace pelmora::testing
