// Reading one screen pixel: real colours, no pixel off the desktop, and the thread's DPI
// awareness switched only for the reading.
#include "platform/screen.h"

#include <gtest/gtest.h>

#include "testing.h"

namespace pelmora {
namespace {

using DpiContextFn = HANDLE(WINAPI*)();
using SetDpiContextFn = HANDLE(WINAPI*)(HANDLE);
using EqualContextsFn = BOOL(WINAPI*)(HANDLE, HANDLE);

template <typename Fn>
Fn user32Function(const char* name) {
  return reinterpret_cast<Fn>(
      reinterpret_cast<void*>(GetProcAddress(GetModuleHandleW(L"user32.dll"), name)));
}

LRESULT CALLBACK solidProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_ERASEBKGND) {
    RECT rect;
    GetClientRect(hwnd, &rect);
    const HBRUSH brush =
        CreateSolidBrush(static_cast<COLORREF>(GetWindowLongPtrW(hwnd, GWLP_USERDATA)));
    FillRect(reinterpret_cast<HDC>(wParam), &rect, brush);
    DeleteObject(brush);
    return 1;
  }
  return DefWindowProcW(hwnd, message, wParam, lParam);
}

TEST(ScreenPixel, ReadsPaintedColoursExactly) {
  WNDCLASSW windowClass{};
  windowClass.lpfnWndProc = solidProc;
  windowClass.hInstance = GetModuleHandleW(nullptr);
  windowClass.lpszClassName = L"PelmoraSolidTestWindow";
  RegisterClassW(&windowClass);
  struct Case {
    COLORREF colour;
  };
  // Asymmetric components catch a swapped byte order.
  for (const Case c : {Case{RGB(5, 10, 255)}, Case{RGB(0, 0, 0)}, Case{RGB(0, 128, 64)},
                       Case{RGB(16, 15, 255)}, Case{RGB(255, 255, 255)}}) {
    SCOPED_TRACE(c.colour);
    const HWND hwnd =
        CreateWindowExW(WS_EX_TOPMOST | WS_EX_TOOLWINDOW, windowClass.lpszClassName, L"", WS_POPUP,
                        300, 300, 60, 60, nullptr, nullptr, windowClass.hInstance, nullptr);
    ASSERT_NE(hwnd, nullptr);
    SetWindowLongPtrW(hwnd, GWLP_USERDATA, static_cast<LONG_PTR>(c.colour));
    ShowWindow(hwnd, SW_SHOWNA);
    UpdateWindow(hwnd);
    EXPECT_TRUE(
        testing::pumpUntil([] { return platform::readScreenPixel(330, 330) != CLR_INVALID; }));
    EXPECT_TRUE(testing::pumpUntil([&] { return platform::readScreenPixel(330, 330) == c.colour; }))
        << std::hex << platform::readScreenPixel(330, 330);
    DestroyWindow(hwnd);
  }
}

TEST(ScreenPixel, NoPixelOffTheDesktop) {
  const int width = GetSystemMetrics(SM_CXVIRTUALSCREEN);
  const int height = GetSystemMetrics(SM_CYVIRTUALSCREEN);
  for (const POINT p : {POINT{-5, -5}, POINT{width + 10, 10}, POINT{10, height + 10}}) {
    EXPECT_EQ(platform::readScreenPixel(p.x, p.y), platform::kInvalidColour) << p.x << "," << p.y;
  }
}

TEST(ScreenPixel, PerMonitorAwarenessOnlyForTheReading) {
  const auto getContext = user32Function<DpiContextFn>("GetThreadDpiAwarenessContext");
  const auto setContext = user32Function<SetDpiContextFn>("SetThreadDpiAwarenessContext");
  const auto equal = user32Function<EqualContextsFn>("AreDpiAwarenessContextsEqual");
  if (getContext == nullptr || setContext == nullptr || equal == nullptr) {
    GTEST_SKIP() << "no per-thread DPI awareness here";
  }
  const HANDLE unaware = reinterpret_cast<HANDLE>(static_cast<INT_PTR>(-1));
  const HANDLE perMonitor = reinterpret_cast<HANDLE>(static_cast<INT_PTR>(-3));
  // Start from a DPI-unaware thread, as the program's is, whatever this system's default.
  ASSERT_NE(setContext(unaware), nullptr);
  ASSERT_TRUE(equal(getContext(), unaware));
  {
    const platform::PerMonitorDpiScope scope;
    EXPECT_TRUE(equal(getContext(), perMonitor));
  }
  EXPECT_TRUE(equal(getContext(), unaware));
  platform::readScreenPixel(10, 10);
  EXPECT_TRUE(equal(getContext(), unaware));
}

}  // namespace
}  // namespace pelmora
