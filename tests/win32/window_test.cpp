// The built main window against its layout, its keyboard handling, and the order in which
// start-up and shut-down run the window's handlers.
#include <gtest/gtest.h>

#include <cstdint>
#include <cwchar>
#include <string>
#include <vector>

#include "app/lifecycle.h"
#include "testing.h"
#include "window/main_window.h"

namespace pelmora {
namespace {

using namespace std::chrono_literals;
using CN = ControlName;

// What every control must look like, written out independently of the program's own table.
enum class Kind { label, edit, push, check };

struct ExpectedControl {
  const char* what;
  ControlName name;
  Kind kind;
  int left, top, width, height;
  const wchar_t* text;
  bool visible;
  bool tabStop;
};

constexpr ExpectedControl kExpected[] = {
    {"标签1", CN::label1, Kind::label, 10, 10, 60, 25, L"鼠标坐标：", true, false},
    {"编辑框1", CN::editBox1, Kind::edit, 70, 10, 100, 25, L"", true, true},
    {"标签3", CN::label3, Kind::label, 10, 50, 60, 25, L"颜色RGB：", true, false},
    {"编辑框3", CN::editBox3, Kind::edit, 70, 50, 100, 25, L"", true, true},
    {"标签4", CN::label4, Kind::label, 10, 90, 60, 25, L"颜色HEX：", true, false},
    {"编辑框4", CN::editBox4, Kind::edit, 70, 90, 100, 25, L"", true, true},
    {"按钮1", CN::button1, Kind::push, 180, 9, 48, 25, L"复制", true, true},
    {"按钮2", CN::button2, Kind::push, 235, 9, 48, 25, L"复制X", true, true},
    {"按钮3", CN::button3, Kind::push, 290, 9, 48, 25, L"复制Y", true, true},
    {"按钮4", CN::button4, Kind::push, 180, 49, 48, 25, L"复制", true, true},
    {"按钮5", CN::button5, Kind::push, 180, 89, 48, 25, L"复制", true, true},
    {"选择框1", CN::checkBox1, Kind::check, 270, 130, 80, 25, L"窗口置顶", true, true},
    {"按钮6", CN::button6, Kind::push, 10, 130, 100, 25, L"开始/快捷键F1", true, true},
    {"按钮7", CN::button7, Kind::push, 128, 130, 100, 25, L"结束/快捷键F2", true, true},
    {"标签2", CN::label2, Kind::label, 256, 64, 72, 16, L"标签", false, false},
};

const wchar_t* expectedClass(Kind kind) {
  switch (kind) {
    case Kind::label: return L"PelmoraLabel";
    case Kind::edit: return L"Edit";
    case Kind::push:
    case Kind::check: return L"Button";
  }
  return L"";
}

std::wstring className(HWND hwnd) {
  wchar_t name[64] = {};
  GetClassNameW(hwnd, name, 64);
  return name;
}

using Bits = std::uint32_t;
Bits style(HWND hwnd) { return static_cast<Bits>(GetWindowLongPtrW(hwnd, GWL_STYLE)); }
Bits exStyle(HWND hwnd) { return static_cast<Bits>(GetWindowLongPtrW(hwnd, GWL_EXSTYLE)); }

SIZE iconSize(HICON icon) {
  ICONINFO info{};
  if (icon == nullptr || !GetIconInfo(icon, &info)) return {0, 0};
  BITMAP bitmap{};
  GetObjectW(info.hbmMask, sizeof bitmap, &bitmap);
  const SIZE size{bitmap.bmWidth, info.hbmColor != nullptr ? bitmap.bmHeight : bitmap.bmHeight / 2};
  DeleteObject(info.hbmMask);
  if (info.hbmColor != nullptr) DeleteObject(info.hbmColor);
  return size;
}

// The window's rectangle in the client coordinates of the main window.
RECT placeInClient(HWND control) {
  RECT rect;
  GetWindowRect(control, &rect);
  MapWindowPoints(HWND_DESKTOP, mainWindow(), reinterpret_cast<POINT*>(&rect), 2);
  return rect;
}

TEST(MainWindow, IsBuiltAsLaidOut) {
  ASSERT_TRUE(testing::startMainWindow(testing::noHandlers()));
  const HWND main = mainWindow();

  EXPECT_EQ(testing::windowTextW(main), L"Pelmora - by Tovrel");
  RECT rect;
  GetWindowRect(main, &rect);
  const int screenWidth = GetSystemMetrics(SM_CXSCREEN);
  const int screenHeight = GetSystemMetrics(SM_CYSCREEN);
  EXPECT_EQ(rect.right - rect.left, 358);
  EXPECT_EQ(rect.bottom - rect.top, 196);
  EXPECT_EQ(rect.left, (screenWidth - 358) / 2);
  EXPECT_EQ(rect.top, (screenHeight - 196) / 2);
  if (screenWidth == 1920 && screenHeight == 1080) {
    EXPECT_EQ(rect.left, 781);
    EXPECT_EQ(rect.top, 442);
  }

  const Bits mainStyle = style(main);
  for (const Bits present : std::initializer_list<Bits>{WS_CAPTION, WS_SYSMENU, WS_MINIMIZEBOX,
                                                        WS_CLIPCHILDREN, WS_VISIBLE}) {
    EXPECT_EQ(mainStyle & present, present) << std::hex << present;
  }
  for (const Bits absent : std::initializer_list<Bits>{WS_THICKFRAME, WS_MAXIMIZEBOX, WS_CHILD,
                                                       WS_DISABLED, WS_POPUP}) {
    EXPECT_EQ(mainStyle & absent, 0u) << std::hex << absent;
  }
  // No extended style of its own: only the edge the system gives every captioned window.
  EXPECT_EQ(exStyle(main) & ~Bits{WS_EX_WINDOWEDGE}, 0u) << std::hex << exStyle(main);
  EXPECT_EQ(GetWindow(main, GW_OWNER), nullptr);
  EXPECT_EQ(GetParent(main), nullptr);
  EXPECT_EQ(GetMenu(main), nullptr);
  const auto bigIcon = reinterpret_cast<HICON>(SendMessageW(main, WM_GETICON, ICON_BIG, 0));
  const auto smallIcon = reinterpret_cast<HICON>(SendMessageW(main, WM_GETICON, ICON_SMALL, 0));
  ASSERT_NE(bigIcon, nullptr);
  ASSERT_NE(smallIcon, nullptr);
  EXPECT_EQ(iconSize(bigIcon).cx, 32);
  EXPECT_EQ(iconSize(bigIcon).cy, 32);
  EXPECT_EQ(iconSize(smallIcon).cx, 16);
  EXPECT_EQ(iconSize(smallIcon).cy, 16);

  RECT client;
  GetClientRect(main, &client);
  const auto guiFont = reinterpret_cast<LRESULT>(GetStockObject(DEFAULT_GUI_FONT));
  for (const ExpectedControl& e : kExpected) {
    SCOPED_TRACE(e.what);
    const HWND hwnd = controlWindow(e.name);
    ASSERT_TRUE(IsWindow(hwnd));
    EXPECT_EQ(GetParent(hwnd), main);
    EXPECT_EQ(_wcsicmp(className(hwnd).c_str(), expectedClass(e.kind)), 0)
        << className(hwnd).size();
    const RECT place = placeInClient(hwnd);
    EXPECT_EQ(place.left, e.left);
    EXPECT_EQ(place.top, e.top);
    EXPECT_EQ(place.right - place.left, e.width);
    EXPECT_EQ(place.bottom - place.top, e.height);
    EXPECT_LE(place.right, client.right);
    EXPECT_LE(place.bottom, client.bottom);
    EXPECT_EQ(testing::windowTextW(hwnd), e.text);
    EXPECT_EQ(IsWindowVisible(hwnd) != FALSE, e.visible);
    EXPECT_TRUE(IsWindowEnabled(hwnd));

    const Bits s = style(hwnd);
    const Bits ex = exStyle(hwnd);
    EXPECT_EQ(s & WS_CHILD, Bits{WS_CHILD});
    EXPECT_EQ(s & WS_CLIPSIBLINGS, Bits{WS_CLIPSIBLINGS});
    EXPECT_EQ((s & WS_TABSTOP) != 0u, e.tabStop);
    EXPECT_EQ(s & (WS_BORDER | WS_DLGFRAME | WS_HSCROLL | WS_VSCROLL), 0u) << std::hex << s;
    switch (e.kind) {
      case Kind::label: EXPECT_EQ(ex, 0u) << std::hex << ex; break;
      case Kind::edit:
        EXPECT_EQ(s & ES_AUTOHSCROLL, Bits{ES_AUTOHSCROLL});
        // Left-aligned, one line, typing allowed as it is, selection hidden without focus.
        EXPECT_EQ(s & (ES_CENTER | ES_RIGHT | ES_MULTILINE | ES_READONLY | ES_PASSWORD |
                       ES_UPPERCASE | ES_LOWERCASE | ES_NUMBER | ES_NOHIDESEL),
                  0u)
            << std::hex << s;
        EXPECT_EQ(ex & ~Bits{WS_EX_NOPARENTNOTIFY}, Bits{WS_EX_CLIENTEDGE}) << std::hex << ex;
        EXPECT_EQ(SendMessageW(hwnd, EM_GETLIMITTEXT, 0, 0), 0x7FFFFFFE);
        EXPECT_EQ(SendMessageW(hwnd, WM_GETFONT, 0, 0), guiFont);
        break;
      case Kind::push:
        EXPECT_EQ(s & BS_TYPEMASK, Bits{BS_PUSHBUTTON}) << std::hex << s;
        EXPECT_EQ(s & BS_CENTER, Bits{BS_CENTER});
        EXPECT_EQ(s & BS_VCENTER, Bits{BS_VCENTER});
        EXPECT_EQ(s & BS_MULTILINE, Bits{BS_MULTILINE});
        EXPECT_EQ(s & (BS_BITMAP | BS_ICON | BS_FLAT), 0u) << std::hex << s;
        EXPECT_EQ(ex & ~Bits{WS_EX_NOPARENTNOTIFY}, 0u) << std::hex << ex;
        EXPECT_EQ(SendMessageW(hwnd, WM_GETFONT, 0, 0), guiFont);
        break;
      case Kind::check:
        EXPECT_EQ(s & BS_TYPEMASK, Bits{BS_AUTOCHECKBOX}) << std::hex << s;
        EXPECT_EQ(s & BS_CENTER, Bits{BS_LEFT});
        EXPECT_EQ(s & BS_VCENTER, Bits{BS_VCENTER});
        EXPECT_EQ(s & BS_MULTILINE, Bits{BS_MULTILINE});
        EXPECT_EQ(s & (BS_PUSHLIKE | BS_FLAT | BS_LEFTTEXT | BS_BITMAP | BS_ICON), 0u)
            << std::hex << s;
        EXPECT_EQ(ex & ~Bits{WS_EX_NOPARENTNOTIFY}, 0u) << std::hex << ex;
        EXPECT_EQ(SendMessageW(hwnd, BM_GETCHECK, 0, 0), BST_UNCHECKED);
        EXPECT_EQ(SendMessageW(hwnd, WM_GETFONT, 0, 0), guiFont);
        break;
    }
  }

  // Stacking: the top-most child is the one created last, and so on down to the first.
  std::vector<HWND> stack;
  for (HWND child = GetWindow(main, GW_CHILD); child != nullptr;
       child = GetWindow(child, GW_HWNDNEXT)) {
    stack.push_back(child);
  }
  ASSERT_EQ(stack.size(), std::size(kExpected));
  for (std::size_t i = 0; i < stack.size(); ++i) {
    const ExpectedControl& e = kExpected[std::size(kExpected) - 1 - i];
    EXPECT_EQ(stack[i], controlWindow(e.name)) << "stacking place " << i << ": " << e.what;
  }

  EXPECT_EQ(testing::closeMainWindow(), 0);
}

// A bitmap of a window-sized area, as 32-bit pixels.
std::vector<std::uint32_t> pixels(HDC source, int width, int height) {
  const HDC memory = CreateCompatibleDC(source);
  BITMAPINFO info{};
  info.bmiHeader.biSize = sizeof info.bmiHeader;
  info.bmiHeader.biWidth = width;
  info.bmiHeader.biHeight = -height;
  info.bmiHeader.biPlanes = 1;
  info.bmiHeader.biBitCount = 32;
  void* bits = nullptr;
  const HBITMAP bitmap = CreateDIBSection(memory, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
  const HGDIOBJ old = SelectObject(memory, bitmap);
  BitBlt(memory, 0, 0, width, height, source, 0, 0, SRCCOPY);
  GdiFlush();
  const auto* first = static_cast<const std::uint32_t*>(bits);
  std::vector<std::uint32_t> out(first, first + width * height);
  SelectObject(memory, old);
  DeleteObject(bitmap);
  DeleteDC(memory);
  return out;
}

// How a label of this size and text should look when drawn in `font`.
std::vector<std::uint32_t> expectedLabel(HFONT font, int width, int height, const wchar_t* text) {
  const HDC screen = GetDC(nullptr);
  const HDC memory = CreateCompatibleDC(screen);
  const HBITMAP bitmap = CreateCompatibleBitmap(screen, width, height);
  const HGDIOBJ oldBitmap = SelectObject(memory, bitmap);
  RECT rect{0, 0, width, height};
  FillRect(memory, &rect, GetSysColorBrush(COLOR_BTNFACE));
  const HGDIOBJ oldFont = SelectObject(memory, font);
  SetTextColor(memory, RGB(0, 0, 0));
  SetBkMode(memory, TRANSPARENT);
  DrawTextW(memory, text, -1, &rect, DT_SINGLELINE | DT_LEFT | DT_VCENTER);
  SelectObject(memory, oldFont);
  auto out = pixels(memory, width, height);
  SelectObject(memory, oldBitmap);
  DeleteObject(bitmap);
  DeleteDC(memory);
  ReleaseDC(nullptr, screen);
  return out;
}

TEST(MainWindow, LabelsDrawTheirTextInTheGuiFontOnButtonFace) {
  ASSERT_TRUE(testing::startMainWindow(testing::noHandlers()));
  RedrawWindow(mainWindow(), nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW | RDW_ALLCHILDREN);
  testing::pumpMessages(100ms);
  const auto guiFont = static_cast<HFONT>(GetStockObject(DEFAULT_GUI_FONT));
  const auto otherFont = static_cast<HFONT>(GetStockObject(SYSTEM_FONT));
  for (const ExpectedControl& e : kExpected) {
    if (e.kind != Kind::label || !e.visible) continue;
    SCOPED_TRACE(e.what);
    const HWND label = controlWindow(e.name);
    const HDC dc = GetDC(label);
    const auto shown = pixels(dc, e.width, e.height);
    ReleaseDC(label, dc);
    const auto expected = expectedLabel(guiFont, e.width, e.height, e.text);
    // The comparison tells fonts apart: the same text in another font looks different.
    ASSERT_NE(expected, expectedLabel(otherFont, e.width, e.height, e.text));
    std::size_t differing = 0;
    for (std::size_t i = 0; i < shown.size(); ++i)
      differing += (shown[i] & 0xFFFFFF) != (expected[i] & 0xFFFFFF);
    EXPECT_EQ(differing, 0u);
  }
  EXPECT_EQ(testing::closeMainWindow(), 0);
}

TEST(MainWindow, CanBeMinimizedButNeitherMaximizedNorResized) {
  ASSERT_TRUE(testing::startMainWindow(testing::noHandlers()));
  const HWND main = mainWindow();
  RECT before;
  GetWindowRect(main, &before);
  const LPARAM captionPoint =
      MAKELPARAM(before.left + 100, before.top + GetSystemMetrics(SM_CYCAPTION) / 2);
  EXPECT_EQ(SendMessageW(main, WM_NCHITTEST, 0, captionPoint), HTCAPTION);
  SendMessageW(main, WM_NCLBUTTONDBLCLK, HTCAPTION, captionPoint);
  testing::pumpMessages(50ms);
  EXPECT_FALSE(IsZoomed(main));
  // The frame offers no sizing edge.
  const int midY = (before.top + before.bottom) / 2;
  for (const LPARAM edge : {MAKELPARAM(before.left, midY), MAKELPARAM(before.right - 1, midY),
                            MAKELPARAM(before.left + 100, before.bottom - 1)}) {
    const LRESULT hit = SendMessageW(main, WM_NCHITTEST, 0, edge);
    EXPECT_TRUE(hit < HTSIZEFIRST || hit > HTSIZELAST) << hit;
  }
  ShowWindow(main, SW_MINIMIZE);
  testing::pumpMessages(50ms);
  EXPECT_TRUE(IsIconic(main));
  ShowWindow(main, SW_RESTORE);
  testing::pumpMessages(50ms);
  RECT after;
  GetWindowRect(main, &after);
  EXPECT_FALSE(IsIconic(main));
  EXPECT_TRUE(EqualRect(&before, &after));
  EXPECT_EQ(testing::closeMainWindow(), 0);
}

bool pumpUntilFocus(ControlName name) {
  return testing::pumpUntil([name] { return GetFocus() == controlWindow(name); }, 2000ms);
}

// The name of the control that has the focus, "-" for none of them.
std::string focusedName() {
  for (const ExpectedControl& e : kExpected) {
    if (GetFocus() == controlWindow(e.name)) return e.what;
  }
  return "-";
}

// Presses a key `times` times and notes where the focus is after each press.
std::vector<std::string> focusAfterPresses(std::size_t times, WORD modifier) {
  std::vector<std::string> path;
  for (std::size_t i = 0; i < times; ++i) {
    const HWND before = GetFocus();
    if (modifier != 0) {
      testing::pressKey(VK_TAB, {modifier});
    } else {
      testing::pressKey(VK_TAB);
    }
    testing::pumpUntil([before] { return GetFocus() != before; }, 1000ms);
    path.push_back(focusedName());
  }
  return path;
}

TEST(Keyboard, TabAndShiftTabCycleThroughTheTabStops) {
  ASSERT_TRUE(testing::startMainWindow(testing::noHandlers()));
  ASSERT_TRUE(testing::bringToForeground());
  EXPECT_EQ(focusedName(), "编辑框1");

  const std::vector<std::string> forward{"编辑框3", "编辑框4", "按钮1", "按钮2", "按钮3",  "按钮4",
                                         "按钮5",   "选择框1", "按钮6", "按钮7", "编辑框1"};
  EXPECT_EQ(focusAfterPresses(forward.size(), 0), forward);
  const std::vector<std::string> backward{"按钮7", "按钮6", "选择框1", "按钮5",   "按钮4",  "按钮3",
                                          "按钮2", "按钮1", "编辑框4", "编辑框3", "编辑框1"};
  EXPECT_EQ(focusAfterPresses(backward.size(), VK_SHIFT), backward);

  // A click on a label leaves the focus where it was; a click on an edit box takes it there.
  const auto centre = [](ControlName name) {
    RECT rect;
    GetWindowRect(controlWindow(name), &rect);
    return POINT{(rect.left + rect.right) / 2, (rect.top + rect.bottom) / 2};
  };
  for (const ControlName label : {CN::label1, CN::label3, CN::label4}) {
    ASSERT_TRUE(testing::clickAt(centre(label)));
    testing::pumpMessages(100ms);
    EXPECT_EQ(GetFocus(), controlWindow(CN::editBox1)) << static_cast<int>(label);
  }
  ASSERT_TRUE(testing::clickAt(centre(CN::editBox3)));
  EXPECT_TRUE(pumpUntilFocus(CN::editBox3));
  EXPECT_EQ(testing::closeMainWindow(), 0);
}

std::vector<ControlName>& clicks() {
  static std::vector<ControlName> log;
  return log;
}
template <ControlName name>
void logClick() {
  clicks().push_back(name);
}
constexpr ClickBinding kLoggingClicks[] = {
    {CN::button1, &logClick<CN::button1>}, {CN::button2, &logClick<CN::button2>},
    {CN::button3, &logClick<CN::button3>}, {CN::button4, &logClick<CN::button4>},
    {CN::button5, &logClick<CN::button5>}, {CN::button6, &logClick<CN::button6>},
    {CN::button7, &logClick<CN::button7>}, {CN::checkBox1, &logClick<CN::checkBox1>},
};

struct KeyCase {
  const char* what;
  ControlName focus;
  WORD key;
  WORD modifier;  // 0: none
  bool closes;
  std::vector<ControlName> clicked;  // when the window stays open
};

TEST(Keyboard, EscClosesAndOtherKeysDoWhatTheFocusedControlDoes) {
  const KeyCase cases[] = {
      {"Esc in an edit box", CN::editBox1, VK_ESCAPE, 0, true, {}},
      {"Esc on a button", CN::button3, VK_ESCAPE, 0, true, {}},
      {"Esc on the check box", CN::checkBox1, VK_ESCAPE, 0, true, {}},
      {"Alt+F4", CN::editBox4, VK_F4, VK_MENU, true, {}},
      {"Shift+Esc in an edit box", CN::editBox1, VK_ESCAPE, VK_SHIFT, false, {}},
      {"Ctrl+Esc in an edit box", CN::editBox1, VK_ESCAPE, VK_CONTROL, false, {}},
      {"Shift+Esc on a button", CN::button6, VK_ESCAPE, VK_SHIFT, false, {}},
      {"Enter in an edit box", CN::editBox1, VK_RETURN, 0, false, {}},
      {"Enter in the last edit box", CN::editBox4, VK_RETURN, 0, false, {}},
      {"Enter on a button", CN::button1, VK_RETURN, 0, false, {}},
      {"Space on a button", CN::button2, VK_SPACE, 0, false, {CN::button2}},
      {"Space on the check box", CN::checkBox1, VK_SPACE, 0, false, {CN::checkBox1}},
  };
  static const EventBindings bindings{nullptr, nullptr, kLoggingClicks, {}};
  for (const KeyCase& c : cases) {
    SCOPED_TRACE(c.what);
    clicks().clear();
    ASSERT_TRUE(testing::startMainWindow(bindings));
    ASSERT_TRUE(testing::bringToForeground());
    SetFocus(controlWindow(c.focus));
    ASSERT_EQ(GetFocus(), controlWindow(c.focus));
    if (c.modifier != 0) {
      testing::pressKey(c.key, {c.modifier});
    } else {
      testing::pressKey(c.key);
    }
    int exitCode = -2;
    const bool closed = testing::pumpMessages(300ms, &exitCode);
    EXPECT_EQ(closed, c.closes);
    if (closed) {
      EXPECT_EQ(exitCode, 0);
      EXPECT_EQ(mainWindow(), nullptr);
      continue;
    }
    EXPECT_TRUE(IsWindowVisible(mainWindow()));
    EXPECT_EQ(GetFocus(), controlWindow(c.focus));
    EXPECT_EQ(clicks(), c.clicked);
    EXPECT_EQ(testing::closeMainWindow(), 0);
  }
}

// Start-up and shut-down, through the program's own entry point and message loop.
struct LifecycleTrace {
  std::vector<std::string> events;
  HWND main = nullptr;
  bool visibleInCreated = true;
  bool controlsExistInCreated = false;
  bool visibleControlsShownInCreated = false;
  bool visibleWhenRunning = false;
  bool focusInEditBox1WhenRunning = false;
  bool visibleInWillBeDestroyed = true;
  bool controlsExistInWillBeDestroyed = false;
};
LifecycleTrace& trace() {
  static LifecycleTrace t;
  return t;
}

bool allControlsExist() {
  for (const ExpectedControl& e : kExpected) {
    if (!IsWindow(controlWindow(e.name)) || GetParent(controlWindow(e.name)) != mainWindow())
      return false;
  }
  return true;
}

void CALLBACK whileRunning(HWND, UINT, UINT_PTR timer, DWORD) {
  KillTimer(nullptr, timer);
  LifecycleTrace& t = trace();
  t.events.push_back("running");
  t.visibleWhenRunning = IsWindowVisible(mainWindow()) != FALSE;
  t.focusInEditBox1WhenRunning = GetFocus() == controlWindow(CN::editBox1);
  PostMessageW(mainWindow(), WM_CLOSE, 0, 0);
}

void tracedCreated() {
  LifecycleTrace& t = trace();
  t.events.push_back("Created");
  t.main = mainWindow();
  t.visibleInCreated = IsWindowVisible(mainWindow()) != FALSE;
  t.controlsExistInCreated = allControlsExist();
  bool shown = true;
  for (const ExpectedControl& e : kExpected) {
    shown = shown && ((style(controlWindow(e.name)) & WS_VISIBLE) != 0u) == e.visible;
  }
  t.visibleControlsShownInCreated = shown;
  SetTimer(nullptr, 0, 20, whileRunning);
}

void tracedWillBeDestroyed() {
  LifecycleTrace& t = trace();
  t.events.push_back("WillBeDestroyed");
  t.visibleInWillBeDestroyed = IsWindowVisible(mainWindow()) != FALSE;
  t.controlsExistInWillBeDestroyed =
      IsWindow(t.main) && mainWindow() == t.main && allControlsExist();
}

TEST(Lifecycle, CreatedBeforeShowingAndWillBeDestroyedWhileControlsExist) {
  static const EventBindings bindings{&tracedCreated, &tracedWillBeDestroyed, {}, {}};
  EXPECT_EQ(runPelmora(GetModuleHandleW(nullptr), bindings), 0);
  const LifecycleTrace& t = trace();
  EXPECT_EQ(t.events, (std::vector<std::string>{"Created", "running", "WillBeDestroyed"}));
  EXPECT_FALSE(t.visibleInCreated);
  EXPECT_TRUE(t.controlsExistInCreated);
  EXPECT_TRUE(t.visibleControlsShownInCreated);
  EXPECT_TRUE(t.visibleWhenRunning);
  EXPECT_TRUE(t.focusInEditBox1WhenRunning);
  EXPECT_FALSE(t.visibleInWillBeDestroyed);
  EXPECT_TRUE(t.controlsExistInWillBeDestroyed);
  EXPECT_FALSE(IsWindow(t.main));
  EXPECT_EQ(mainWindow(), nullptr);
  EXPECT_EQ(controlWindow(CN::label2), nullptr);
}

std::vector<std::string>& events() {
  static std::vector<std::string> log;
  return log;
}

TEST(Lifecycle, NoHandlerRunsBeforeCreated) {
  static constexpr ClickBinding kClicks[] = {
      {CN::button1, [] { events().push_back("Clicked 按钮1"); }},
      {CN::checkBox1, [] { events().push_back("Clicked 选择框1"); }},
  };
  static constexpr FeedbackBinding kFeedback[] = {
      {CN::label2,
       [](std::int32_t a, std::int32_t b) {
         events().push_back("Feedback " + std::to_string(a) + " " + std::to_string(b));
       }},
  };
  static const EventBindings bindings{[] { events().push_back("Created"); },
                                      [] { events().push_back("WillBeDestroyed"); }, kClicks,
                                      kFeedback};
  ASSERT_TRUE(buildMainWindow(GetModuleHandleW(nullptr), bindings));
  const auto pokeEveryHandler = [] {
    for (const ControlName name : {CN::button1, CN::checkBox1}) {
      const HWND control = controlWindow(name);
      SendMessageW(control, BM_CLICK, 0, 0);
      SendMessageW(mainWindow(), WM_COMMAND, MAKEWPARAM(GetDlgCtrlID(control), BN_CLICKED),
                   reinterpret_cast<LPARAM>(control));
    }
    SendMessageW(controlWindow(CN::label2), kFeedbackMessage, 5, 6);
  };
  pokeEveryHandler();
  testing::pumpMessages(50ms);
  EXPECT_TRUE(events().empty());

  raiseCreatedAndShow();
  testing::pumpMessages(50ms);
  pokeEveryHandler();
  EXPECT_EQ(events(),
            (std::vector<std::string>{"Created", "Clicked 按钮1", "Clicked 按钮1",
                                      "Clicked 选择框1", "Clicked 选择框1", "Feedback 5 6"}));
  events().clear();
  EXPECT_EQ(testing::closeMainWindow(), 0);
  EXPECT_EQ(events(), std::vector<std::string>{"WillBeDestroyed"});
}

// Refuses, on this thread, the `refuseFrom`-th window of the program (the main window is the
// first, the controls follow in creation order) and every window asked for after it, the
// message box included; notes the class of each. Wine's own input-method window is let be.
struct CreationRefusal {
  static inline int refuseFrom = 0;
  static inline int counted = 0;
  static inline std::vector<std::wstring> classes;
  static inline std::vector<HWND> windows;
  static LRESULT CALLBACK hook(int code, WPARAM wParam, LPARAM lParam) {
    if (code == HCBT_CREATEWND) {
      const auto hwnd = reinterpret_cast<HWND>(wParam);
      const std::wstring name = className(hwnd);
      if (name != L"IME") {
        classes.push_back(name);
        windows.push_back(hwnd);
        if (++counted >= refuseFrom) return 1;
      }
    }
    return CallNextHookEx(nullptr, code, wParam, lParam);
  }
};

TEST(Lifecycle, FailedBuildEndsWithMinusOneAndLeavesNothing) {
  static int createdRuns = 0;
  static const EventBindings bindings{[] { ++createdRuns; }, nullptr, {}, {}};
  struct Refusal {
    int refuseFrom;
    const wchar_t* refusedClass;
  };
  const Refusal refusals[] = {
      {1, L"PelmoraMainWindow"},  // the main window itself
      {5, L"Edit"},               // 编辑框3
      {16, L"PelmoraLabel"},      // 标签2, the last control
  };
  for (const Refusal& r : refusals) {
    SCOPED_TRACE(r.refuseFrom);
    CreationRefusal::refuseFrom = r.refuseFrom;
    CreationRefusal::counted = 0;
    CreationRefusal::classes.clear();
    CreationRefusal::windows.clear();
    const HHOOK hook =
        SetWindowsHookExW(WH_CBT, CreationRefusal::hook, nullptr, GetCurrentThreadId());
    ASSERT_NE(hook, nullptr);
    const auto started = std::chrono::steady_clock::now();
    const int exitCode = runPelmora(GetModuleHandleW(nullptr), bindings);
    const auto took = std::chrono::steady_clock::now() - started;
    UnhookWindowsHookEx(hook);

    EXPECT_EQ(exitCode, -1);
    EXPECT_EQ(createdRuns, 0);
    const auto& classes = CreationRefusal::classes;
    ASSERT_EQ(classes.size(), static_cast<std::size_t>(r.refuseFrom) + 1);
    EXPECT_EQ(classes[static_cast<std::size_t>(r.refuseFrom) - 1], r.refusedClass);
    // The user is told with a message box; refused too, it returns at once.
    EXPECT_EQ(classes.back(), L"#32770");
    EXPECT_LT(took, std::chrono::seconds(5));
    ASSERT_EQ(mainWindow(), nullptr);
    ASSERT_EQ(controlWindow(CN::label1), nullptr);
    for (const HWND hwnd : CreationRefusal::windows) EXPECT_FALSE(IsWindow(hwnd));
  }

  // Nothing is left behind that would keep the window from being built again.
  ASSERT_TRUE(testing::startMainWindow(bindings));
  EXPECT_EQ(createdRuns, 1);
  EXPECT_EQ(testing::closeMainWindow(), 0);
}

}  // namespace
}  // namespace pelmora
