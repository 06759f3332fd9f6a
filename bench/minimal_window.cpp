// The floor of the start-up and memory benchmarks: the smallest Win32 program that shows one empty
// window and runs a message loop, built and linked as pelmora.exe is.
//
// Built a second time with BENCH_THEMED_BUTTON and pelmora.exe's manifest, the window also holds
// one push button: a button of version 6 of the common controls (visual styles), whose first use
// loads and sets up the controls library and the theme. That variant tells how much of a figure
// is the platform's cost of themed controls rather than the program's own.
//
// Built with BENCH_PLAIN_CONTROLS and the manifest, the window holds pelmora.exe's fifteen
// controls from its layout table (kinds, places, sizes, texts, visibility, the GUI font), each
// made with one CreateWindowExW call and nothing else: the same window written as plainly as it
// can be, which tells how much the program's own way of building it adds.
#include "platform/win32.h"

#ifdef BENCH_PLAIN_CONTROLS
#include "window/layout.h"
#endif

namespace {

constexpr wchar_t kClass[] = L"PelmoraBenchMinimalWindow";

LRESULT CALLBACK windowProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_DESTROY) {
    PostQuitMessage(0);
    return 0;
  }
  return DefWindowProcW(hwnd, message, wParam, lParam);
}

}  // namespace

int WINAPI WinMain(HINSTANCE instance, HINSTANCE /*previous*/, LPSTR /*commandLine*/,
                   int /*show*/) {
  WNDCLASSEXW windowClass{};
  windowClass.cbSize = sizeof windowClass;
  windowClass.lpfnWndProc = windowProc;
  windowClass.hInstance = instance;
  windowClass.hCursor = LoadCursorW(nullptr, IDC_ARROW);
  windowClass.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
  windowClass.lpszClassName = kClass;
  if (RegisterClassExW(&windowClass) == 0) return -1;
  const HWND hwnd = CreateWindowExW(0, kClass, L"Minimal", WS_OVERLAPPEDWINDOW, CW_USEDEFAULT,
                                    CW_USEDEFAULT, 358, 196, nullptr, nullptr, instance, nullptr);
  if (hwnd == nullptr) return -1;
#ifdef BENCH_THEMED_BUTTON
  const HWND button =
      CreateWindowExW(0, L"BUTTON", L"Button", WS_CHILD | WS_VISIBLE | BS_PUSHBUTTON, 10, 10, 100,
                      25, hwnd, nullptr, instance, nullptr);
  if (button == nullptr) return -1;
#endif
#ifdef BENCH_PLAIN_CONTROLS
  const auto font = reinterpret_cast<WPARAM>(GetStockObject(DEFAULT_GUI_FONT));
  for (const pelmora::ControlLayout& layout : pelmora::kControls) {
    const wchar_t* windowClass = L"STATIC";
    DWORD style = 0;
    DWORD exStyle = 0;
    switch (layout.kind) {
      case pelmora::ControlKind::label: break;
      case pelmora::ControlKind::editBox:
        windowClass = L"EDIT";
        style = ES_LEFT | ES_AUTOHSCROLL;
        exStyle = WS_EX_CLIENTEDGE;
        break;
      case pelmora::ControlKind::button: windowClass = L"BUTTON"; break;
      case pelmora::ControlKind::checkBox:
        windowClass = L"BUTTON";
        style = BS_AUTOCHECKBOX;
        break;
    }
    style |= WS_CHILD | (layout.visible ? WS_VISIBLE : 0) | (layout.tabStop ? WS_TABSTOP : 0);
    const HWND control = CreateWindowExW(
        exStyle, windowClass, layout.text, style, layout.left, layout.top, layout.width,
        layout.height, hwnd,
        reinterpret_cast<HMENU>(static_cast<INT_PTR>(pelmora::controlId(layout.name))), instance,
        nullptr);
    if (control == nullptr) return -1;
    SendMessageW(control, WM_SETFONT, font, FALSE);
  }
#endif
  ShowWindow(hwnd, SW_SHOW);
  MSG message;
  while (GetMessageW(&message, nullptr, 0, 0) > 0) {
    TranslateMessage(&message);
    DispatchMessageW(&message);
  }
  return static_cast<int>(message.wParam);
}
