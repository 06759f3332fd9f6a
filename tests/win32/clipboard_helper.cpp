// A second program for the clipboard tests, started by them and ended by them.
//
//   clipboard_helper hold HELD RELEASE DELAY_MS
//     Opens the clipboard and keeps it open, as another program in the middle of a copy does:
//     sets the event HELD once the clipboard is open, waits for the event RELEASE (20 s at
//     most), waits DELAY_MS more, and closes it.
//
//   clipboard_helper serve BUTTON HEX READY STOP
//     Runs the real main window, writes the code page 936 bytes HEX into 编辑框1, clicks 按钮BUTTON
//     (1 to 3) and creates the file READY; then keeps running, so that X clients can read the
//     clipboard, until the file STOP appears (60 s at most), and closes the window.
#include <chrono>
#include <cstdio>
#include <cwchar>
#include <string>

#include "app/events.h"
#include "testing.h"
#include "window/main_window.h"

// After <windows.h>, which testing.h brings.
#include <shellapi.h>

namespace {

using namespace std::chrono_literals;

int hold(const wchar_t* heldName, const wchar_t* releaseName, DWORD delayMs) {
  const HANDLE held = OpenEventW(EVENT_MODIFY_STATE, FALSE, heldName);
  const HANDLE release = OpenEventW(SYNCHRONIZE, FALSE, releaseName);
  if (held == nullptr || release == nullptr) return 2;
  // Opened for a window, as programs do: Wine lets a second opener without a window share a
  // clipboard that is open without one.
  const HWND owner = CreateWindowExW(0, L"STATIC", nullptr, 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr,
                                     nullptr, nullptr);
  if (owner == nullptr || OpenClipboard(owner) == FALSE) return 3;
  SetEvent(held);
  WaitForSingleObject(release, 20000);
  Sleep(delayMs);
  CloseClipboard();
  DestroyWindow(owner);
  CloseHandle(held);
  CloseHandle(release);
  return 0;
}

bool fromHex(const wchar_t* hex, std::string& bytes) {
  const std::size_t length = std::wcslen(hex);
  if (length % 2 != 0) return false;
  for (std::size_t i = 0; i < length; i += 2) {
    const wchar_t pair[3] = {hex[i], hex[i + 1], L'\0'};
    wchar_t* end = nullptr;
    const unsigned long value = std::wcstoul(pair, &end, 16);
    if (end != pair + 2) return false;
    bytes.push_back(static_cast<char>(value));
  }
  return true;
}

bool fileExists(const wchar_t* path) { return GetFileAttributesW(path) != INVALID_FILE_ATTRIBUTES; }

int serve(int button, const wchar_t* hex, const wchar_t* readyPath, const wchar_t* stopPath) {
  using pelmora::ControlName;
  constexpr ControlName kButtons[] = {ControlName::button1, ControlName::button2,
                                      ControlName::button3};
  std::string text;
  if (button < 1 || button > 3 || !fromHex(hex, text)) return 2;
  if (!pelmora::testing::startMainWindow(pelmora::pelmoraBindings())) return 3;
  pelmora::writeText(ControlName::editBox1, text);
  SendMessageW(pelmora::controlWindow(kButtons[button - 1]), BM_CLICK, 0, 0);

  const HANDLE ready = CreateFileW(readyPath, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
  if (ready == INVALID_HANDLE_VALUE) return 4;
  CloseHandle(ready);

  const auto end = std::chrono::steady_clock::now() + 60s;
  while (!fileExists(stopPath) && std::chrono::steady_clock::now() < end) {
    pelmora::testing::pumpMessages(50ms);
  }
  return pelmora::testing::closeMainWindow();
}

}  // namespace

int main() {
  int argc = 0;
  wchar_t** const argv = CommandLineToArgvW(GetCommandLineW(), &argc);
  if (argv == nullptr || argc < 2) return 1;
  const std::wstring mode = argv[1];
  if (mode == L"hold" && argc == 5) {
    return hold(argv[2], argv[3], static_cast<DWORD>(std::wcstoul(argv[4], nullptr, 10)));
  }
  if (mode == L"serve" && argc == 6) {
    return serve(static_cast<int>(std::wcstol(argv[2], nullptr, 10)), argv[3], argv[4], argv[5]);
  }
  std::fputs(
      "usage: clipboard_helper hold HELD RELEASE DELAY_MS\n"
      "       clipboard_helper serve BUTTON HEX READY STOP\n",
      stderr);
  return 1;
}
