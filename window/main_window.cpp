#include "window/main_window.h"

#include <algorithm>
#include <array>

#include "platform/handle.h"
#include "platform/windowing.h"

namespace pelmora {
namespace {

struct IconTraits {
  using pointer = HICON;
  static constexpr pointer invalid() noexcept { return nullptr; }
  static void close(pointer icon) noexcept { DestroyIcon(icon); }
};
using UniqueIcon = platform::UniqueHandle<IconTraits>;

struct WindowState {
  HWND main = nullptr;
  std::array<HWND, kControlCount> controls{};
  EventBindings bindings;   // a copy: the caller's object may be a temporary
  bool eventsLive = false;  // from Created on; no handler runs before
  bool alwaysOnTop = false;
  HWND lastFocus = nullptr;  // the control that had the focus when the window was deactivated
  UniqueIcon bigIcon;
  UniqueIcon smallIcon;
};

WindowState& window() {
  static WindowState state;
  return state;
}

constexpr DWORD kMainStyle = WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX | WS_CLIPCHILDREN;

struct KindStyle {
  const wchar_t* windowClass;
  DWORD style;
  DWORD exStyle;
};

KindStyle kindStyle(ControlKind kind) {
  switch (kind) {
    case ControlKind::label: return {kLabelClass, 0, 0};
    case ControlKind::editBox: return {L"EDIT", ES_LEFT | ES_AUTOHSCROLL, WS_EX_CLIENTEDGE};
    case ControlKind::button:
      return {L"BUTTON", BS_PUSHBUTTON | BS_CENTER | BS_VCENTER | BS_MULTILINE, 0};
    case ControlKind::checkBox:
      return {L"BUTTON", BS_AUTOCHECKBOX | BS_LEFT | BS_VCENTER | BS_MULTILINE, 0};
  }
  return {L"STATIC", 0, 0};
}

const ControlLayout* layoutById(int id) {
  const int index = id - controlId(ControlName::label1);
  if (index < 0 || index >= static_cast<int>(kControlCount)) return nullptr;
  return &kControls[static_cast<std::size_t>(index)];
}

const ControlLayout* layoutByWindow(HWND hwnd) {
  const auto& controls = window().controls;
  const auto it = std::find(controls.begin(), controls.end(), hwnd);
  return it == controls.end() ? nullptr
                              : &kControls[static_cast<std::size_t>(it - controls.begin())];
}

void raiseClicked(ControlName name) {
  const WindowState& w = window();
  if (!w.eventsLive) return;
  for (const ClickBinding& binding : w.bindings.clicked) {
    if (binding.control == name && binding.command != nullptr) binding.command();
  }
}

void raiseFeedback(ControlName name, std::int32_t first, std::int32_t second) {
  const WindowState& w = window();
  if (!w.eventsLive) return;
  for (const FeedbackBinding& binding : w.bindings.feedback) {
    if (binding.control == name && binding.handler != nullptr) binding.handler(first, second);
  }
}

// Labels paint themselves: button-face background, black text in the GUI font, one line,
// left-aligned and centred vertically.
void paintLabel(HWND hwnd) {
  PAINTSTRUCT ps;
  const HDC dc = BeginPaint(hwnd, &ps);
  RECT rect;
  GetClientRect(hwnd, &rect);
  FillRect(dc, &rect, GetSysColorBrush(COLOR_BTNFACE));
  wchar_t text[256];
  const int length = GetWindowTextW(hwnd, text, static_cast<int>(std::size(text)));
  const HGDIOBJ oldFont = SelectObject(dc, platform::guiFont());
  SetTextColor(dc, RGB(0, 0, 0));
  SetBkMode(dc, TRANSPARENT);
  DrawTextW(dc, text, length, &rect, DT_SINGLELINE | DT_LEFT | DT_VCENTER);
  SelectObject(dc, oldFont);
  EndPaint(hwnd, &ps);
}

LRESULT CALLBACK labelProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_PAINT: paintLabel(hwnd); return 0;
    case WM_ERASEBKGND: return 1;
    case WM_GETFONT: return reinterpret_cast<LRESULT>(platform::guiFont());
    case WM_SETTEXT: {
      const LRESULT result = DefWindowProcW(hwnd, message, wParam, lParam);
      InvalidateRect(hwnd, nullptr, FALSE);
      return result;
    }
    case kFeedbackMessage:
      if (const ControlLayout* layout = layoutByWindow(hwnd)) {
        raiseFeedback(layout->name, static_cast<std::int32_t>(wParam),
                      static_cast<std::int32_t>(lParam));
      }
      return 0;
    default: return DefWindowProcW(hwnd, message, wParam, lParam);
  }
}

void onCommand(WPARAM wParam, LPARAM lParam) {
  if (lParam == 0 || HIWORD(wParam) != BN_CLICKED) return;
  if (const ControlLayout* layout = layoutById(LOWORD(wParam))) raiseClicked(layout->name);
}

LRESULT onControlColour(WPARAM wParam) {
  const auto dc = reinterpret_cast<HDC>(wParam);
  SetTextColor(dc, RGB(0, 0, 0));
  SetBkColor(dc, GetSysColor(COLOR_BTNFACE));
  return reinterpret_cast<LRESULT>(GetSysColorBrush(COLOR_BTNFACE));
}

void onDestroy() {
  WindowState& w = window();
  if (w.eventsLive && w.bindings.willBeDestroyed != nullptr) {
    w.bindings.willBeDestroyed();
  }
}

// Like a dialog, the window gives the focus back to the control that had it when the user returns.
void onActivate(HWND hwnd, WPARAM wParam) {
  WindowState& w = window();
  if (LOWORD(wParam) == WA_INACTIVE) {
    const HWND focus = GetFocus();
    if (focus != nullptr && IsChild(hwnd, focus)) w.lastFocus = focus;
  }
}

void onSetFocus() {
  WindowState& w = window();
  const HWND target = w.lastFocus != nullptr && IsWindow(w.lastFocus)
                          ? w.lastFocus
                          : w.controls[indexOf(ControlName::editBox1)];
  if (target != nullptr) SetFocus(target);
}

void onNcDestroy() {
  WindowState& w = window();
  const bool wasRunning = w.eventsLive;
  w.main = nullptr;
  w.controls.fill(nullptr);
  w.eventsLive = false;
  w.alwaysOnTop = false;
  w.lastFocus = nullptr;
  w.bigIcon.reset();
  w.smallIcon.reset();
  if (wasRunning) PostQuitMessage(0);
}

LRESULT CALLBACK mainWindowProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_COMMAND: onCommand(wParam, lParam); return 0;
    case WM_CTLCOLORSTATIC:
    case WM_CTLCOLORBTN: return onControlColour(wParam);
    case WM_ACTIVATE:
      onActivate(hwnd, wParam);
      return DefWindowProcW(hwnd, message, wParam, lParam);
    case WM_SETFOCUS: onSetFocus(); return 0;
    case WM_DESTROY: onDestroy(); return 0;
    case WM_NCDESTROY: onNcDestroy(); return DefWindowProcW(hwnd, message, wParam, lParam);
    default: return DefWindowProcW(hwnd, message, wParam, lParam);
  }
}

bool registerClasses(HINSTANCE instance) {
  static bool registered = false;
  if (registered) return true;
  WNDCLASSEXW mainClass{};
  mainClass.cbSize = sizeof mainClass;
  mainClass.lpfnWndProc = mainWindowProc;
  mainClass.hInstance = instance;
  mainClass.hCursor = LoadCursorW(nullptr, IDC_ARROW);
  mainClass.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
  mainClass.lpszClassName = kMainWindowClass;

  WNDCLASSEXW labelClass{};
  labelClass.cbSize = sizeof labelClass;
  labelClass.lpfnWndProc = labelProc;
  labelClass.hInstance = instance;
  labelClass.hCursor = LoadCursorW(nullptr, IDC_ARROW);
  labelClass.lpszClassName = kLabelClass;

  registered = RegisterClassExW(&mainClass) != 0 && RegisterClassExW(&labelClass) != 0;
  return registered;
}

HWND createMainWindow(HINSTANCE instance) {
  // Centred on the whole primary screen, task bar included.
  const int left = (GetSystemMetrics(SM_CXSCREEN) - kMainWindow.width) / 2;
  const int top = (GetSystemMetrics(SM_CYSCREEN) - kMainWindow.height) / 2;
  const HWND hwnd =
      CreateWindowExW(0, kMainWindowClass, kMainWindow.caption, kMainStyle, left, top,
                      kMainWindow.width, kMainWindow.height, nullptr, nullptr, instance, nullptr);
  if (hwnd == nullptr) return nullptr;
  RECT rect;
  GetWindowRect(hwnd, &rect);
  if (rect.right - rect.left != kMainWindow.width || rect.bottom - rect.top != kMainWindow.height) {
    SetWindowPos(hwnd, nullptr, left, top, kMainWindow.width, kMainWindow.height,
                 SWP_NOZORDER | SWP_NOACTIVATE);
  }
  WindowState& w = window();
  w.bigIcon.reset(static_cast<HICON>(LoadImageW(instance, L"DEFAULT_ICON", IMAGE_ICON, 32, 32, 0)));
  w.smallIcon.reset(
      static_cast<HICON>(LoadImageW(instance, L"DEFAULT_ICON", IMAGE_ICON, 16, 16, 0)));
  platform::setIcon(hwnd, ICON_BIG, w.bigIcon.get());
  platform::setIcon(hwnd, ICON_SMALL, w.smallIcon.get());
  platform::setFont(hwnd, platform::guiFont());
  return hwnd;
}

// A one-line edit box is never lower than a line of its font plus the two 3-D edges.
void applyEditHeightRule(HWND edit, const ControlLayout& layout) {
  const int minimum = platform::fontLineHeight(edit) + 2 * GetSystemMetrics(SM_CYEDGE);
  if (layout.height < minimum) {
    SetWindowPos(edit, nullptr, 0, 0, layout.width, minimum,
                 SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
  }
}

HWND createControl(HINSTANCE instance, HWND parent, const ControlLayout& layout) {
  const KindStyle kind = kindStyle(layout.kind);
  const DWORD style = WS_CHILD | WS_CLIPSIBLINGS | kind.style | (layout.tabStop ? WS_TABSTOP : 0);
  const HWND hwnd = CreateWindowExW(
      kind.exStyle, kind.windowClass, layout.text, style, layout.left, layout.top, layout.width,
      layout.height, parent, reinterpret_cast<HMENU>(static_cast<INT_PTR>(controlId(layout.name))),
      instance, nullptr);
  if (hwnd == nullptr) return nullptr;
  // Each control lies above those created before it.
  SetWindowPos(hwnd, HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
  platform::setFont(hwnd, platform::guiFont());
  if (layout.kind == ControlKind::editBox) {
    platform::setEditLimit(hwnd, 0);
    applyEditHeightRule(hwnd, layout);
  }
  return hwnd;
}

std::size_t focusedControlIndex() {
  const HWND focus = GetFocus();
  const auto& controls = window().controls;
  for (std::size_t i = 0; i < controls.size(); ++i) {
    if (controls[i] != nullptr && (controls[i] == focus || IsChild(controls[i], focus))) return i;
  }
  return kControlCount;
}

// Moves the focus to the next (or previous) visible, enabled tab stop, wrapping around.
void moveFocus(bool forward) {
  const auto& controls = window().controls;
  const std::size_t n = kControlCount;
  std::size_t index = focusedControlIndex();
  if (index == n) index = forward ? n - 1 : 0;
  for (std::size_t step = 1; step <= n; ++step) {
    const std::size_t candidate = forward ? (index + step) % n : (index + n - step) % n;
    const HWND hwnd = controls[candidate];
    if (kControls[candidate].tabStop && hwnd != nullptr && IsWindowVisible(hwnd) &&
        IsWindowEnabled(hwnd)) {
      SetFocus(hwnd);
      return;
    }
  }
}

bool keyDown(int virtualKey) { return GetKeyState(virtualKey) < 0; }

}  // namespace

bool buildMainWindow(HINSTANCE instance, const EventBindings& bindings) {
  WindowState& w = window();
  if (w.main != nullptr || !registerClasses(instance)) return false;
  w.bindings = bindings;
  w.eventsLive = false;
  w.main = createMainWindow(instance);
  if (w.main == nullptr) return false;
  for (const ControlLayout& layout : kControls) {
    const HWND hwnd = createControl(instance, w.main, layout);
    if (hwnd == nullptr) {
      DestroyWindow(w.main);
      return false;
    }
    w.controls[indexOf(layout.name)] = hwnd;
  }
  for (const ControlLayout& layout : kControls) {
    if (layout.visible) ShowWindow(w.controls[indexOf(layout.name)], SW_SHOWNA);
  }
  return true;
}

void raiseCreatedAndShow() {
  WindowState& w = window();
  w.eventsLive = true;
  if (w.bindings.created != nullptr) w.bindings.created();
  if (w.main == nullptr) return;
  ShowWindow(w.main, SW_SHOW);
  SetForegroundWindow(w.main);
  SetFocus(controlWindow(ControlName::editBox1));
}

bool preTranslateMessage(const MSG& message) {
  if (message.message != WM_KEYDOWN) return false;
  const HWND main = window().main;
  if (main == nullptr || (message.hwnd != main && !IsChild(main, message.hwnd))) return false;
  const bool ctrl = keyDown(VK_CONTROL);
  const bool shift = keyDown(VK_SHIFT);
  const bool alt = keyDown(VK_MENU);
  if (message.wParam == VK_TAB && !ctrl && !alt) {
    moveFocus(!shift);
    return true;
  }
  if (message.wParam == VK_ESCAPE && !ctrl && !shift && !alt) {
    SendMessageW(main, WM_CLOSE, 0, 0);
    return true;
  }
  return false;
}

int runMessageLoop() {
  MSG message;
  while (GetMessageW(&message, nullptr, 0, 0) > 0) {
    if (preTranslateMessage(message)) continue;
    TranslateMessage(&message);
    DispatchMessageW(&message);
  }
  return static_cast<int>(message.wParam);
}

HWND mainWindow() { return window().main; }

HWND controlWindow(ControlName name) { return window().controls[indexOf(name)]; }

Text readText(ControlName editBox) { return platform::windowText936(controlWindow(editBox)); }

void writeText(ControlName editBox, std::string_view text) {
  platform::setWindowText936(controlWindow(editBox), text);
}

std::int32_t readChecked(ControlName checkBox) {
  return platform::buttonCheck(controlWindow(checkBox)) == BST_CHECKED ? 1 : 0;
}

void writeAlwaysOnTop(bool onTop) {
  WindowState& w = window();
  w.alwaysOnTop = onTop;
  platform::setTopmost(w.main, onTop);
}

}  // namespace pelmora
