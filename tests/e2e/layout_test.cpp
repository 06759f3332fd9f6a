// The window as another program sees it: every control of the running pelmora.exe, read from
// outside, against the layout written out here.
#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <vector>

#include "driver.h"

namespace pelmora::e2e {
namespace {

struct Row {
  Control id;
  const wchar_t* windowClass;
  int left, top, width, height;  // in the main window's client area
  const wchar_t* text;
  bool visible;
  bool tabStop;
  DWORD kindStyle;  // style bits of the control's kind that must be set
};

constexpr DWORD kPush = BS_PUSHBUTTON | BS_CENTER | BS_VCENTER | BS_MULTILINE;
constexpr DWORD kCheck = BS_AUTOCHECKBOX | BS_LEFT | BS_VCENTER | BS_MULTILINE;

// In creation order, which is also the stacking order (the last lies on top).
const Row kRows[] = {
    {Control::label1, L"PelmoraLabel", 10, 10, 60, 25, L"鼠标坐标：", true, false, 0},
    {Control::editBox1, L"Edit", 70, 10, 100, 25, L"", true, true, ES_AUTOHSCROLL},
    {Control::label3, L"PelmoraLabel", 10, 50, 60, 25, L"颜色RGB：", true, false, 0},
    {Control::editBox3, L"Edit", 70, 50, 100, 25, L"", true, true, ES_AUTOHSCROLL},
    {Control::label4, L"PelmoraLabel", 10, 90, 60, 25, L"颜色HEX：", true, false, 0},
    {Control::editBox4, L"Edit", 70, 90, 100, 25, L"", true, true, ES_AUTOHSCROLL},
    {Control::button1, L"Button", 180, 9, 48, 25, L"复制", true, true, kPush},
    {Control::button2, L"Button", 235, 9, 48, 25, L"复制X", true, true, kPush},
    {Control::button3, L"Button", 290, 9, 48, 25, L"复制Y", true, true, kPush},
    {Control::button4, L"Button", 180, 49, 48, 25, L"复制", true, true, kPush},
    {Control::button5, L"Button", 180, 89, 48, 25, L"复制", true, true, kPush},
    {Control::checkBox1, L"Button", 270, 130, 80, 25, L"窗口置顶", true, true, kCheck},
    {Control::button6, L"Button", 10, 130, 100, 25, L"开始/快捷键F1", true, true, kPush},
    {Control::button7, L"Button", 128, 130, 100, 25, L"结束/快捷键F2", true, true, kPush},
    {Control::label2, L"PelmoraLabel", 256, 64, 72, 16, L"标签", false, false, 0},
};

std::wstring caption(HWND hwnd) {
  wchar_t text[64] = {};
  DWORD_PTR copied = 0;
  SendMessageTimeoutW(hwnd, WM_GETTEXT, std::size(text), reinterpret_cast<LPARAM>(text),
                      SMTO_ABORTIFHUNG, 2000, &copied);
  return text;
}

std::wstring className(HWND hwnd) {
  wchar_t name[64] = {};
  GetClassNameW(hwnd, name, static_cast<int>(std::size(name)));
  return name;
}

TEST(Layout, EveryControlAsAnotherProgramSeesIt) {
  Pelmora app;
  ASSERT_TRUE(app.start());
  const HWND main = app.mainWindow();

  // The main window: caption, outer size, centred on the primary screen, fixed frame.
  EXPECT_EQ(caption(main), L"Pelmora - by Tovrel");
  RECT outer;
  GetWindowRect(main, &outer);
  EXPECT_EQ(outer.right - outer.left, 358);
  EXPECT_EQ(outer.bottom - outer.top, 196);
  EXPECT_EQ(outer.left, (GetSystemMetrics(SM_CXSCREEN) - 358) / 2);
  EXPECT_EQ(outer.top, (GetSystemMetrics(SM_CYSCREEN) - 196) / 2);
  const auto style = static_cast<DWORD>(GetWindowLongW(main, GWL_STYLE));
  EXPECT_EQ(style & (WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX | WS_CLIPCHILDREN),
            static_cast<DWORD>(WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX | WS_CLIPCHILDREN));
  EXPECT_EQ(style & (WS_THICKFRAME | WS_MAXIMIZEBOX), 0u);
  EXPECT_EQ(GetWindowLongW(main, GWL_EXSTYLE) & WS_EX_TOPMOST, 0);

  // Every control, and nothing else, in stacking order from the bottom.
  HWND child = GetWindow(main, GW_CHILD);  // the top of the stack
  std::vector<HWND> bottomUp;
  for (; child != nullptr; child = GetWindow(child, GW_HWNDNEXT))
    bottomUp.insert(bottomUp.begin(), child);
  ASSERT_EQ(bottomUp.size(), std::size(kRows));
  for (std::size_t i = 0; i < std::size(kRows); ++i) {
    const Row& row = kRows[i];
    const HWND hwnd = bottomUp[i];
    SCOPED_TRACE(::testing::Message() << "control " << static_cast<int>(row.id));
    EXPECT_EQ(GetDlgCtrlID(hwnd), static_cast<int>(row.id));
    EXPECT_EQ(className(hwnd), row.windowClass);
    RECT rect;
    GetWindowRect(hwnd, &rect);
    MapWindowPoints(HWND_DESKTOP, main, reinterpret_cast<POINT*>(&rect), 2);
    EXPECT_EQ(rect.left, row.left);
    EXPECT_EQ(rect.top, row.top);
    EXPECT_EQ(rect.right - rect.left, row.width);
    EXPECT_EQ(rect.bottom - rect.top, row.height);
    EXPECT_EQ(app.text(row.id), std::optional<std::wstring>(row.text));
    EXPECT_EQ(IsWindowVisible(hwnd) != FALSE, row.visible);
    EXPECT_TRUE(IsWindowEnabled(hwnd));
    const auto controlStyle = static_cast<DWORD>(GetWindowLongW(hwnd, GWL_STYLE));
    EXPECT_EQ((controlStyle & WS_TABSTOP) != 0, row.tabStop);
    EXPECT_NE(controlStyle & WS_CLIPSIBLINGS, 0u);
    EXPECT_EQ(controlStyle & row.kindStyle, row.kindStyle);
  }
  // The keyboard focus starts in 编辑框1.
  GUITHREADINFO info{};
  info.cbSize = sizeof info;
  ASSERT_TRUE(GetGUIThreadInfo(GetWindowThreadProcessId(main, nullptr), &info));
  EXPECT_EQ(info.hwndFocus, app.control(Control::editBox1));
  EXPECT_EQ(app.close(), 0u);
}

}  // namespace
}  // namespace pelmora::e2e
